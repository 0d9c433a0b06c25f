# The daily K-line chart on the demo market: a double click on the first quote-list row opens
# it with the moving averages, the MACD sub panel and the volume panel. The chart area is
# checked against the reviewed reference picture; the indicator strip switches the sub panel;
# a point in the price plot shows the crosshair read-out; and the trace's paint times of
# repeated full paints give the paint time through GDI.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 30 --years 2 --minute-days 5 --layouts dat,vipdoc </dev/null >>"$E2E_DIR/wine.log" 2>&1)
cp "$d/data/stock_names.txt" "$d/" 2>/dev/null || true
printf 'DATAMODE=3\nLC1_DIR=data\\vipdoc\nDAT_DIR=data\\dat\nWIN_X=20\nWIN_Y=20\nWIN_W=1200\nWIN_H=740\n' >"$d/zor.cfg"
app_start "$d" ZOR_MSGTRACE=1
boxes_until_window 60
[ ! -s "$E2E_DIR/boxes.txt" ] || fail "loading showed a message box"

zc dblclick 6 0
zc wait q99 1 0 5   # the chart view replaced the list
expect_eq "$(zc q98 29)" 0 "period (daily)"
expect_eq "$(zc q98 44)/$(zc q98 45)/$(zc q98 46)/$(zc q98 47)" "0/0/1/1" "mainInd/subInd/showVol/showSub"
[ "$(zc q96 500)" = 1 ] || fail "no main-panel title"
[ "$(zc q96 501)" = 1 ] || fail "no sub-panel title"
[ "$(zc q96 502)" = 1 ] || fail "no volume-panel title"
[ "$(zc q96 120)" -ge 20 ] || fail "indicator strip: $(zc q96 120) items"
sleep 1
shot screen
client_crop kline-daily screen
# The chart area (0, 96) .. (W - 235, H - 48) of the client; the status line with its clock
# stays out of the comparison.
cw=$(identify -format '%w' "$E2E_DIR/kline-daily.png")
ch=$(identify -format '%h' "$E2E_DIR/kline-daily.png")
expect_picture kline-daily 80-kline-daily 10% 2500 "$((cw - 235))x$((ch - 48 - 96))+0+96"

# The strip's KDJ item shows KDJ in the sub panel, its MACD item MACD again.
zc click 120 17
zc wait q98 45 1 5
sleep 0.5
shot kdj
zc click 120 2
zc wait q98 45 0 5

# The crosshair over the price plot: the price box on the axis, the date box on the strip.
zc clickxy 400 300
sleep 0.5
shot crosshair
expect_eq "$(zc q98 39)" "$((400 * 65536 + 300))" "mouse position"

# Twenty full paints: the medians of the chart's paint time and of the whole window's
# (milliseconds, from the trace) are the paint figures through GDI.
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }
n0=$(wc -l <"$d/zor_trace.log")
for _ in $(seq 20); do
  zc click 120 2
  sleep 0.15
done
sleep 0.5
tail -n +$((n0 + 1)) "$d/zor_trace.log" >"$E2E_DIR/paints.log"
chart=$(grep "PAINT chart dt=" "$E2E_DIR/paints.log" | sed 's/.*dt=\([0-9.]*\)ms.*/\1/')
whole=$(grep "PAINT done dt=" "$E2E_DIR/paints.log" | sed 's/.*dt=\([0-9]*\)ms.*/\1/')
count=$(echo "$chart" | grep -c .)
[ "$count" -ge 10 ] || fail "only $count chart paints traced"
echo "chart paints: $count, median $(echo "$chart" | median) ms; whole window: median $(echo "$whole" | median) ms"

zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
