# First start without zor.cfg: the data-directory dialog appears (Tab moves between its
# controls) and refuses an empty and an over-long directory; the demo directory is typed and
# saved; the mode panel appears in the main window, which takes no click meanwhile; history
# trading is chosen with the key 1; the quote list shows the demo instruments, and zor.cfg
# holds the directory as it was typed.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out demo --count 30 --years 2 --minute-days 5 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
app_start "$d"

expect_eq "$(zc wait-class ZORCFGCLS 30)" "数据目录配置 - 澄川K线回放训练软件" "data dialog title"
[ ! -f "$d/zor.cfg" ] || fail "zor.cfg written before saving"
expect_eq "$(zc focus ZORCFGCLS)" 1001 "focus on the DAT edit"
zc dlg-key ZORCFGCLS tab
sleep 0.3
expect_eq "$(zc focus ZORCFGCLS)" 1003 "Tab moves to its browse button"
sleep 0.3
shot data-dialog

zc set-text ZORCFGCLS 1001 ""
zc press ZORCFGCLS 1005
zc wait-msgbox 10 >"$E2E_DIR/box.txt"
expect_eq "$(sed -n 1p "$E2E_DIR/box.txt")" "提示" "empty: caption"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "请至少填写一个数据目录（DAT 或 lc1）。" "empty: text"
zc dismiss
zc set-text ZORCFGCLS 1001 "$(printf 'd%.0s' $(seq 260))"
zc press ZORCFGCLS 1005
zc wait-msgbox 10 >"$E2E_DIR/box.txt"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "目录路径过长（超过 259 字节），请选择较短的路径。" "too long: text"
zc dismiss
zc wait-class ZORCFGCLS 2 >/dev/null || fail "the dialog closed after a refusal"
[ ! -f "$d/zor.cfg" ] || fail "zor.cfg written after a refusal"

zc set-text ZORCFGCLS 1001 'demo\dat'
zc press ZORCFGCLS 1005
zc gone-class ZORCFGCLS 10
expect_in "$d/zor.cfg" 'DAT_DIR=demo\dat'
expect_in "$d/zor.cfg" "DATAMODE=2"

expect_eq "$(zc wait-class ZORMODESEL 60)" "请选择模式" "mode panel"
zc msgbox >/dev/null 2>&1 && fail "loading showed a message box"
rect=$(zc dlg-rect ZORMODESEL)
echo "mode panel: $rect"
expect_eq "$(echo "$rect" | awk '{print $3, $4}')" "620 300" "mode panel size"
rows=$(zc q96 6)
[ "$rows" -gt 2 ] || fail "no quote rows behind the panel: $rows"
zc click 6 2  # a row of the list behind the panel: the main window takes no input meanwhile
sleep 0.5
expect_eq "$(zc q98 12)" 0 "curIdx while the panel is open"
sleep 0.3
shot mode-panel
zc dlg-key ZORMODESEL 1
zc gone-class ZORMODESEL 5

n=$(zc q98 28)
echo "instruments: $n"
[ "$n" -ge 25 ] || fail "demo instruments missing: $n"
expect_eq "$(zc q98 75)" 1 "history trading"
expect_eq "$(( $(zc q99) & 1 ))" 1 "quote list shown"
zc click 6 2
zc wait q98 12 2 5
sleep 0.5
shot quote-list

zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
expect_in "$d/zor.cfg" 'DAT_DIR=demo\dat'
expect_in "$d/zor.cfg" "LC1_DIR="
