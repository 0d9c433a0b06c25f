# Saving another data directory from the menu rebuilds the instrument table at once; with fewer
# instruments every index that could name another one starts over: the selected instrument is
# the first (query 12), and the live and game instruments are none (queries 30 and 16).
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out big --count 40 --years 1 --minute-days 2 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
(cd "$d" && wine "$gen" --out small --seed 7 --count 10 --years 1 --minute-days 2 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
printf 'DAT_DIR=big\\dat\n' >"$d/zor.cfg"
app_start "$d"
zc wait-class ZORMODESEL 60 >/dev/null
zc dlg-key ZORMODESEL 1
zc gone-class ZORMODESEL 5
big=$(zc q98 28)
echo "instruments before: $big"
[ "$big" -ge 40 ] || fail "big market: $big"
last=$(( $(zc q96 6) - 1 ))
[ "$last" -ge 15 ] || fail "too few rows shown: $last"
zc click 6 "$last"
zc wait q98 12 "$last" 5

zc click 900 0
sleep 0.7
zc key down
zc key enter
zc wait-class ZORCFGCLS 10 >/dev/null
zc set-text ZORCFGCLS 1001 'small\dat'
zc press ZORCFGCLS 1005
zc gone-class ZORCFGCLS 10
small=$(zc q98 28)
echo "instruments after: $small"
[ "$small" -ge 10 ] && [ "$small" -lt "$last" ] || fail "small market: $small"
expect_eq "$(zc q98 12)" 0 "curIdx (query 12)"
expect_eq "$(zc q98 30)" -1 "liveStockIdx (query 30)"
expect_eq "$(zc q98 16)" -1 "train.stockIdx (query 16)"
expect_eq "$(zc q98 60)" -1 "replayStockIdx (query 60)"
expect_in "$d/zor.cfg" 'DAT_DIR=small\dat'
sleep 0.5
shot rebuilt
zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
