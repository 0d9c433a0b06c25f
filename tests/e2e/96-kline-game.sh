# The blind K-line game from the keyboard and the training bar, as a user plays it: the K-line
# training tab, a random game of 60 days chosen in the days picker, Enter, a week, 15 minutes,
# a step back, B (one lot: the order form is empty), two steps, B, a step, S, the reveal, the
# end. While the game is blind no state-query text holds the game instrument's code, name or a
# date; train_account.dat then holds exactly the three deals at the prices of their bars with
# the training account's 0.1 % commission, and the account's cash is what those deals leave.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
cli="$ZOR_BUILD/tools/zorcli/zorcli.exe"
[ -f "$gen" ] && [ -f "$cli" ] || fail "build gen_market and zorcli first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 40 --years 2 --minute-days 80 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
printf 'DAT_DIR=data\\dat\nWIN_X=10\nWIN_Y=10\nWIN_W=1700\nWIN_H=860\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 60

# 训练模式(M) in the menu bar, K线训练 in the mode panel; the days picker's second card (60
# days) gives the game its length, and 开始训练 starts a random game (the code field is empty).
zc click 900 4
zc wait-class ZORMODESEL 10 >/dev/null || fail "no mode panel"
zc dlg-key ZORMODESEL 2
zc gone-class ZORMODESEL 5
zc wait-class ZORTRAINDAYS 10 >/dev/null || fail "no days picker"
sleep 0.3
shot days-picker
zc dlg-key ZORTRAINDAYS 2
zc gone-class ZORTRAINDAYS 5
zc wait q98 54 60 5
zc wait q98 11 2 5
[ "$(( $(zc q99) & (1 << 18) ))" != 0 ] || zc click 80
zc wait q99 $((1 << 18)) $((1 << 18)) 10   # a game is active
expect_eq "$(zc q98 54)" 60 "train.days"
expect_eq "$(zc q98 51)" 1 "blind"
code=$(printf '%06d' "$(zc q98 27)")
idx=$(zc q98 16)
name=$(cd "$d" && wine "$cli" list --dat 'data\dat' </dev/null 2>/dev/null | tr -d '\r' | awk -F, -v c="$code" '$2 == c {print $4}')
[ -n "$name" ] || fail "no name for the game's code $code"
echo "game instrument: $code $name (index $idx)"
dates=$(cd "$d" && wine "$cli" bars --dat 'data\dat' "$code" day </dev/null 2>/dev/null | tr -d '\r' | cut -d, -f1 | grep '^[0-9]\{8\}$')

# No state-query text tells the game instrument while blind: not its code, not its name, no
# date of it in any of the usual spellings.
blind_texts() {
  local which t
  for which in 2 3; do
    t=$(zc text "$which" | tr -d '\r')
    case "$t" in *"$code"* | *"$name"*) fail "text $which names the game: $t" ;; esac
    if echo "$t" | grep -Eq '(19|20)[0-9]{2}(-|/|年)?[01][0-9](-|/|月)?[0-3][0-9]'; then
      fail "text $which shows a date while blind: $t"
    fi
  done
}
step() {  # step WHAT COMMAND...: runs the command and waits for the game to take it
  local before after
  before="$(zc q98 14)/$(zc q98 53)"
  shift
  "$@"
  for _ in $(seq 50); do
    after="$(zc q98 14)/$(zc q98 53)"
    [ "$after" != "$before" ] && break
    sleep 0.1
  done
  blind_texts
  echo "cur/sub $before -> $after"
}
deals() { zc q98 8; }

start=$(zc q98 15)
expect_eq "$(zc q98 14)" "$start" "the game starts at its first bar"
blind_texts
sleep 0.3
shot game-blind

step next zc key enter
expect_eq "$(zc q98 14)" "$((start + 1))" "Enter steps one bar"
step week zc click 100
[ "$(zc q98 14)" -gt "$((start + 1))" ] || fail "a week did not move the game"
expect_eq "$(zc q98 52)" 1 "jump period week"
step 15min zc click 104
expect_eq "$(zc q98 52)" 5 "jump period 15 minutes"
[ "$(zc q98 53)" -ge 0 ] || fail "no sub-bar after 15 minutes"
step back zc key left

zc key B
zc wait q98 8 1 5
blind_texts
step next zc key enter
step next zc key enter
zc key B
zc wait q98 8 2 5
step next zc key enter
zc key S
zc wait q98 8 3 5
blind_texts
expect_eq "$(zc q98 5)" 1 "one position left"
expect_eq "$(zc q98 25 0)" 100 "100 shares left"
# Two more bars: the deals then span five trading days, enough for a score.
step next zc key enter
step next zc key enter
sleep 0.3
shot game-trades

cur=$(zc q98 14)
equity=$(zc q98 57)
score=$(zc q98 17)
annual=$(zc q98 18)
echo "at bar $cur: equity $equity (x100), score $score, annualised $annual (x100), drawdown $(zc q98 19) (x10000)"
[ "$score" -ge 0 ] || fail "no score"

zc key D
zc wait q98 49 1 5
expect_eq "$(zc q98 51)" 0 "not blind after the reveal"
sleep 0.3
shot game-revealed
zc click 43
zc wait q99 $((1 << 18)) 0 5
expect_eq "$(zc text 3 | tr -d '\r')" "训练已结束（账户与记录保留，主图恢复完整K线）" "train.status after the end"
expect_eq "$(zc q98 17)" "$score" "the card keeps the game's score after the end"
sleep 0.3
shot score-card

# The account file, read as a user reads a backup.
zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
(cd "$d" && wine "$cli" account train_account.dat </dev/null 2>"$E2E_DIR/account.err" | tr -d '\r' >"$E2E_DIR/account.csv")
cat "$E2E_DIR/account.csv"
[ ! -s "$E2E_DIR/account.err" ] || fail "the account file lost something: $(cat "$E2E_DIR/account.err")"
expect_eq "$(grep -c '^deal,[0-9]' "$E2E_DIR/account.csv")" 3 "deals in train_account.dat"
(cd "$d" && wine "$cli" bars --dat 'data\dat' "$code" 1m </dev/null 2>/dev/null | tr -d '\r' >"$E2E_DIR/minutes.csv")
(cd "$d" && wine "$cli" bars --dat 'data\dat' "$code" day </dev/null 2>/dev/null | tr -d '\r' >"$E2E_DIR/days.csv")
# Each deal at the close of its bar: a day's close at 09:00, else the close of the sub-bar's
# last minute; 100 shares; the commission a thousandth of the amount, half a cent up. The cash
# is the starting million less what the deals cost.
awk -F, -v code="$code" '
  FILENAME ~ /days/ { day[$1] = $5; next }
  FILENAME ~ /minutes/ { min[$1] = $5; next }
  $1 == "account" && $2 != "file" { cash = $4 }
  $1 == "deal" && $2 != "index" {
    if ($6 != code) { print "deal " $2 " on " $6; bad = 1 }
    if ($10 != 100) { print "deal " $2 " qty " $10; bad = 1 }
    if ($5 == 900) want = day[$4]
    else want = min[sprintf("%s-%s %02d:%02d", substr($4, 5, 2), substr($4, 7, 2), int($5 / 100), $5 % 100)]
    if (want == "" || $9 + 0 != want + 0) { print "deal " $2 " price " $9 " bar close " want; bad = 1 }
    cents = int($9 * 100 * 100 + 0.5)
    fee = int((cents + 500) / 1000)
    if (sprintf("%.2f", cents / 100) != $11 || sprintf("%.2f", fee / 100) != $12) {
      print "deal " $2 " amount/fee " $11 "/" $12 " want " sprintf("%.2f/%.2f", cents / 100, fee / 100); bad = 1
    }
    total += ($8 == 0 ? -(cents + fee) : cents - fee)
  }
  END {
    want = sprintf("%.2f", (100000000 + total) / 100)
    if (cash != want) { print "cash " cash " want " want; bad = 1 }
    exit bad
  }' "$E2E_DIR/days.csv" "$E2E_DIR/minutes.csv" "$E2E_DIR/account.csv" || fail "deals or cash differ from the bars"

# The card's figures from the deals: the equity is the cash left plus the 100 shares at the
# current bar's close; the cumulative return over the starting million, annualised over the
# 250 trading days of a year by the bars from the first deal's day to the current bar.
awk -F, -v cur="$cur" -v equity="$equity" -v annual="$annual" '
  FILENAME ~ /days/ && $1 ~ /^[0-9]+$/ { date[n] = $1; cl[n] = $5; n++; next }
  $1 == "account" && $2 != "file" { cash = $4 }
  $1 == "deal" && $2 != "index" && first == "" { first = $4 }
  END {
    want = int(cash * 100 + 0.5) + 100 * int(cl[cur] * 100 + 0.5)
    if (want != equity) { print "equity " equity " want " want; exit 1 }
    for (i = 0; i <= cur; i++) if (date[i] >= first) { span = cur - i + 1; break }
    a = (want / 100 - 1000000) / 1000000 * 100 * 250 / span
    got = annual / 100
    if (got - a > 0.011 || a - got > 0.011) { print "annualised " got " want " a " (span " span ")"; exit 1 }
    print "equity and annualised return agree with the deals (span " span " days)"
  }' "$E2E_DIR/days.csv" "$E2E_DIR/account.csv" || fail "the score card differs from the deals"
