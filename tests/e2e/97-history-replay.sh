# A history replay as a user runs it from the toolbar: an instrument picked in the list, a day
# typed into the date field, 开始训练, a faster speed, pause and resume, 下一天 (asked and
# confirmed), 停止训练 (asked and confirmed) with the settlement at the close; the history
# account file is saved by the settlement and reads back whole.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
cli="$ZOR_BUILD/tools/zorcli/zorcli.exe"
[ -f "$gen" ] && [ -f "$cli" ] || fail "build gen_market and zorcli first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 30 --years 1 --minute-days 12 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
printf 'DAT_DIR=data\\dat\nWIN_X=10\nWIN_Y=10\nWIN_W=1400\nWIN_H=800\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 60
expect_eq "$(zc q98 11)" 0 "history trading tab"

# The fourth row's instrument, and its sixth-newest day (minute bars cover the last twelve).
zc click 6 3
zc wait q98 12 3 5
code=$(printf '%06d' "$(zc q98 76 3)")
days=$(cd "$d" && wine "$cli" bars --dat 'data\dat' "$code" day </dev/null 2>/dev/null | tr -d '\r' | cut -d, -f1 | grep '^[0-9]\{8\}$')
day=$(echo "$days" | tail -6 | head -1)
next=$(echo "$days" | tail -5 | head -1)
echo "replay of $code on $day (next day $next)"

zc click 31 2
zc wait q99 $((15 << 4)) $((2 << 4)) 5   # the date field has the focus
zc char "$day"
zc click 26
zc wait q99 $((1 << 19)) $((1 << 19)) 10
expect_eq "$(zc q98 60)" 3 "replayed instrument"
expect_eq "$(zc q98 63)" "$day" "replay clock date"
sleep 0.5
shot replay-started

zc click 60 2   # 6x
zc wait q98 22 333 5
f0=$(zc q98 20)
sleep 2
f1=$(zc q98 20)
[ "$f1" -gt "$f0" ] || fail "the replay did not advance at 6x: cursor $f0 -> $f1"
zc click 71      # pause
zc wait q98 62 1 5
p0=$(zc q98 20)
sleep 1.5
expect_eq "$(zc q98 20)" "$p0" "the cursor stays while paused"
zc click 71      # resume
zc wait q98 62 0 5

# 下一天 while the replay runs asks first; Yes goes on with the next day.
zc click 70
box=$(zc wait-msgbox 10)
echo "$box"
expect_eq "$(echo "$box" | head -1 | tr -d '\r')" "训练中 · 跳下一天确认" "next-day question"
zc dismiss yes
zc wait q98 63 "$next" 10
zc wait q99 $((1 << 19)) $((1 << 19)) 10
sleep 1
shot replay-next-day

# 停止训练 asks; OK settles at the close and saves the history account.
rm -f "$d/account_hist.dat"
zc click 26
box=$(zc wait-msgbox 10)
expect_eq "$(echo "$box" | head -1 | tr -d '\r')" "停止训练确认" "stop question"
zc dismiss ok
zc wait q99 $((1 << 19)) 0 10
status=$(zc text 2 | tr -d '\r')
echo "status: $status"
case "$status" in "训练停止·已结算 $code $next 共"*"分钟"*) ;; *) fail "settlement status: $status" ;; esac
sleep 0.5
shot replay-settled
[ -f "$d/account_hist.dat" ] || fail "the settlement saved no history account"
(cd "$d" && wine "$cli" account account_hist.dat </dev/null 2>"$E2E_DIR/account.err" | tr -d '\r' >"$E2E_DIR/account.csv")
cat "$E2E_DIR/account.csv"
[ ! -s "$E2E_DIR/account.err" ] || fail "the history account lost something: $(cat "$E2E_DIR/account.err")"
expect_eq "$(awk -F, '$1 == "account" && $2 != "file" {print $4}' "$E2E_DIR/account.csv")" "$(( $(zc q98 0) / 100 )).$(printf '%02d' $(( $(zc q98 0) % 100 )))" "saved cash"

zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
