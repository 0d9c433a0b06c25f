# The program on generated demo data: the instrument table loads behind the splash window,
# APP+98 reports the instrument count and the first instrument's bar counts, the list shows
# rows, and opening the first row loads its minutes.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 30 --years 2 --minute-days 5 --layouts dat,vipdoc </dev/null >>"$E2E_DIR/wine.log" 2>&1)
cp "$d/data/stock_names.txt" "$d/" 2>/dev/null || true
printf 'DATAMODE=3\nLC1_DIR=data\\vipdoc\nDAT_DIR=data\\dat\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 60
cat "$E2E_DIR/boxes.txt"
[ ! -s "$E2E_DIR/boxes.txt" ] || fail "loading showed a message box"

n=$(zc q98 28)
echo "instruments: $n"
[ "$n" -gt 0 ] || fail "no instruments"
k=$(zc q98 32 0)
echo "instrument 0: k=$k minAll=$(zc q98 33 0) minc=$(zc q98 34 0)"
[ "$k" -gt 0 ] || fail "no daily bars for instrument 0"
rows=$(zc q96 6)
echo "visible rows: $rows"
[ "$rows" -gt 0 ] && [ "$rows" -le "$n" ] || fail "row hit areas: $rows"
sleep 0.5
shot quote-list

zc click 6 2
zc wait q98 12 2 5
zc dblclick 6 0
zc wait q99 1 0 5   # the chart view replaced the list
echo "after opening: k=$(zc q98 32 0) minAll=$(zc q98 33 0) minc=$(zc q98 34 0)"
[ "$(zc q98 33 0)" -gt 0 ] || fail "no minute bars for instrument 0 after opening it"
[ "$(zc q98 34 0)" -gt 0 ] || fail "no latest-day minutes for instrument 0"
zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
