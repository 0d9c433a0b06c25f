# Windows that return a result take the main window's input while they are open: a click on a
# quote row, on a menu-bar item or on the close caption button does nothing during the about
# window, the data dialog or the mode panel, and works again once they are closed. The data
# dialog opened from the menu shows the configured text and, closed, changes nothing. A quit
# message during a dialog ends the program with its shutdown saves.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)
(cd "$d" && wine "$gen" --out data --count 20 --years 1 --minute-days 2 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
printf 'DAT_DIR=data\\dat\nWIN_X=40\nWIN_Y=30\nWIN_W=1180\nWIN_H=720\n' >"$d/zor.cfg"
app_start "$d"
zc wait-class ZORMODESEL 60 >/dev/null
zc dlg-key ZORMODESEL esc
zc gone-class ZORMODESEL 5
expect_eq "$(zc q98 12)" 0 "curIdx at start"

# 关于(A): the about window.
zc click 900 6
expect_eq "$(zc wait-class ZORABOUTCLS 10)" "关于 - 澄川K线回放训练软件" "about window"
expect_eq "$(zc get-text ZORABOUTCLS 1101 | head -1 | tr -d '\r')" "【软件功能】" "about text"
expect_eq "$(zc get-text ZORABOUTCLS 1100)" "澄川K线回放训练软件  v1.0.0" "title with the executable's version"
zc click 6 3
zc click 900 0
zc click 901 2  # the close caption button
sleep 1
expect_eq "$(zc q98 12)" 0 "curIdx after clicks during the about window"
zc wait-window 1 || fail "the main window closed during the about window"
zc msgbox >/dev/null 2>&1 && fail "a window opened during the about window"
shot about-window
zc press ZORABOUTCLS 1102
zc gone-class ZORABOUTCLS 5
zc click 6 3
zc wait q98 12 3 5

# 设置(S) → 数据配置(D)...: the first entry of the pop-up.
before=$(md5sum <"$d/zor.cfg")
zc click 900 0
sleep 0.7
zc key down
zc key enter
expect_eq "$(zc wait-class ZORCFGCLS 10)" "数据目录配置 - 澄川K线回放训练软件" "data dialog from the menu"
expect_eq "$(zc get-text ZORCFGCLS 1001)" 'data\dat' "the configured text, not the resolved path"
zc click 6 5
sleep 0.5
expect_eq "$(zc q98 12)" 3 "curIdx during the data dialog"
zc set-text ZORCFGCLS 1001 'elsewhere'
zc dlg-close ZORCFGCLS
zc gone-class ZORCFGCLS 5
zc msgbox >/dev/null 2>&1 && fail "closing from the menu asked something"
expect_eq "$(md5sum <"$d/zor.cfg")" "$before" "zor.cfg after closing the data dialog"
expect_eq "$(zc q98 28)" 20 "instrument table unchanged"

# 训练模式(M): the mode panel again, chosen with a click on card 1.
zc click 900 4
zc wait-class ZORMODESEL 10 >/dev/null
zc click 6 6
sleep 0.5
expect_eq "$(zc q98 12)" 3 "curIdx during the mode panel"
zc dlg-click ZORMODESEL 100 140
zc gone-class ZORMODESEL 5
zc click 6 6
zc wait q98 12 6 5

# A quit message met while a dialog runs ends its loop and then the program's, which still
# saves on the way out.
grep -q "FS_VER=3" "$d/zor.cfg" && fail "zor.cfg was rewritten early"
zc click 900 6
zc wait-class ZORABOUTCLS 10 >/dev/null
zc post-quit
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
expect_in "$d/zor.cfg" "FS_VER=3"
expect_in "$d/zor.cfg" "WIN_X=40"
