# The charts of the other views on the demo market, each checked against its reviewed reference
# picture (the chart area only; the status line with its clock stays out): the weekly K-line
# chart (key 2), the 5-minute chart (its period button in the tab bar), the intraday chart of
# the last day (F5), a blind game on a typed code and date, and the first frame of a replay.
# The mouse never rests in the chart, so no crosshair shows.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 30 --years 2 --minute-days 5 --layouts dat,vipdoc </dev/null >>"$E2E_DIR/wine.log" 2>&1)
cp "$d/data/stock_names.txt" "$d/" 2>/dev/null || true
printf 'DATAMODE=3\nLC1_DIR=data\\vipdoc\nDAT_DIR=data\\dat\nWIN_X=20\nWIN_Y=20\nWIN_W=1200\nWIN_H=740\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 60
[ ! -s "$E2E_DIR/boxes.txt" ] || fail "loading showed a message box"

zc dblclick 6 0
zc wait q99 1 0 5

# check_view NAME: the chart area of the client, (0, 96) .. (W - 235, H - 48), against the
# reference 81-NAME.
check_view() {
  sleep 1
  shot "$1-screen"
  client_crop "$1" "$1-screen"
  local cw ch
  cw=$(identify -format '%w' "$E2E_DIR/$1.png")
  ch=$(identify -format '%h' "$E2E_DIR/$1.png")
  expect_picture "$1" "81-$1" 10% 2500 "$((cw - 235))x$((ch - 48 - 96))+0+96"
}

zc key 2
zc wait q98 29 1 5
check_view weekly

zc click 1 6
zc wait q98 29 6 5
check_view min5

zc key f5
zc wait q99 2 2 5
check_view intraday

# A blind game: 训练模式 → K线训练, 60 days, then the code and the start date typed into the
# training bar's fields and Enter.
code=$(printf '%06d' "$(zc q98 76 5)")
zc click 900 4
zc wait-class ZORMODESEL 10 >/dev/null
zc dlg-key ZORMODESEL 2
zc gone-class ZORMODESEL 5
zc wait-class ZORTRAINDAYS 10 >/dev/null
zc dlg-key ZORTRAINDAYS 2
zc gone-class ZORTRAINDAYS 5
zc click 36
zc char "$code"
zc click 37
zc char 20240612
zc key enter
zc wait q99 $((1 << 18)) $((1 << 18)) 10
expect_eq "$(zc q98 27)" "$((10#$code))" "the game's instrument"
zc clickxy 5 5   # the mouse out of the chart
check_view blind-game

# A frame of a replay of the same instrument: 训练模式 → 历史训练, the date typed, 开始训练, and
# 暂停 as soon as the fourth minute shows (a frame every two seconds at the normal speed, so
# the pause lands on that frame).
zc click 900 4
zc wait-class ZORMODESEL 10 >/dev/null
zc dlg-key ZORMODESEL 1
zc gone-class ZORMODESEL 5
zc wait q98 11 0 5
zc click 33 3
zc char "$code"
zc click 31 2
zc char 20241227
zc click 26
zc wait q98 20 3 15
zc click 71
zc wait q98 62 1 5
expect_eq "$(zc q98 20)" 3 "replay cursor"
zc clickxy 5 5
check_view replay-frame

zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
