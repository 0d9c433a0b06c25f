# The 设置 pop-up switches the trading rule and the status line shows the message; with
# ZOR_MSGTRACE=1 the message trace, the paint times and the real-time timer's line appear.
d=$(app_dir app)
mkdir -p "$d/data"
printf 'DAT_DIR=data\n' >"$d/zor.cfg"
app_start "$d" ZOR_MSGTRACE=1
boxes_until_window 30
expect_eq "$(zc q98 13)" 1 "T+1 at start"

zc click 900 0
sleep 0.7
shot settings-menu
# The pop-up's own loop reads the keys: 数据配置, (separator), T+1, T+0.
zc key down
zc key down
zc key down
zc key enter
zc wait text 2 "交易规则已切换为 T+0（当日可回转）" 5
expect_eq "$(zc q98 13)" 0 "T+0 after the menu command"
expect_eq "$(zc q98 72)" "$(printf '%s' '交易规则已切换为 T+0（当日可回转）' | wc -c)" "statusText length"
sleep 0.5
shot status-message

wait_in "$d/zor_trace.log" "WM_TIMER_FENSHI trend=0 liveStockIdx=-1 liveOK=0 stocks=0 tradingTime=" 8
expect_in "$d/zor_trace.log" "PAINT done dt="
expect_in "$d/zor_trace.log" "MSG WINDOWPOSCHANGED x="
expect_in "$d/zor_trace.log" "MSG NCCALCSIZE wp="
zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
