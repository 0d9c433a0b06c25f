# The main window from the keyboard and the mouse, as a user drives it. Keyboard: six digits
# and Enter open that instrument on the intraday chart, F5 switches to its K-line chart, Up and
# Down zoom, F12 opens the trading view where PgDn and PgUp change the instrument, Esc closes
# the view and Esc again returns to the list. Mouse: a menu command chosen by clicks, the
# wheel scrolling the list, and the chart's right-button menu choosing a period.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 60 --years 2 --minute-days 3 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
printf 'DAT_DIR=data\\dat\nWIN_X=20\nWIN_Y=20\nWIN_W=1200\nWIN_H=740\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 60
n=$(zc q98 28)
[ "$n" -ge 60 ] || fail "instruments: $n"

# ---- keyboard ----
code=$(zc q98 76 5)
[ "$code" -ge 0 ] || fail "instrument 5 has no numeric code"
zc char "$(printf '%06d' "$code")"
zc key enter
zc wait q98 12 5 5
expect_eq "$(( $(zc q99) & 3 ))" 2 "intraday chart, not the list (view bits)"
sleep 0.5
shot keyboard-intraday
zc key f5
zc wait q99 2 0 5
expect_eq "$(( $(zc q99) & 1 ))" 0 "K-line chart shown"
expect_eq "$(zc q98 29)" 0 "daily period"
zc key up
zc key up
sleep 0.5
zoomed=$(zc q98 42)
[ "$zoomed" -ge 10 ] || fail "barCount after zooming in twice: $zoomed"
zc key down
sleep 0.3
out=$(zc q98 42)
[ "$out" -gt "$zoomed" ] || fail "zooming out: $zoomed -> $out"
sleep 0.5
shot keyboard-kline
zc key f12
zc wait q99 4 4 5
zc key pgdn
zc wait q98 12 6 5
zc key pgup
zc key pgup
zc wait q98 12 4 5
zc key esc
zc wait q99 4 0 5
zc key esc
zc wait q99 1 1 5
expect_eq "$(zc q98 42)" 0 "barCount after Esc"

# ---- mouse ----
# 设置 opened by a click on the menu bar, T+0 chosen by a click on the pop-up's fourth item.
expect_eq "$(zc q98 13)" 1 "T+1 at start"
zc click 900 0
sleep 0.7
zc menu-click 3
zc wait q98 13 0 5
zc wait text 2 "交易规则已切换为 T+0（当日可回转）" 5

# The wheel towards the user scrolls the list by three rows a notch.
expect_eq "$(zc q98 40)" 0 "list top"
zc wheel 300 300 -120
zc wait q98 40 3 5
zc wheel 300 300 120
zc wait q98 40 0 5

# The chart's right-button menu: 60分钟 (ninth entry, after a separator).
zc dblclick 6 0
zc wait q99 1 0 5
[ "$(( $(zc q99) & 2 ))" = 0 ] || zc key f5
zc wait q99 2 0 5
zc rclickxy 400 300
sleep 0.7
shot context-menu
zc menu-click 8
zc wait q98 29 3 5
expect_eq "$(( $(zc q99) & 2 ))" 0 "no intraday chart after choosing a period"
sleep 0.5
shot kline-60min

zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
