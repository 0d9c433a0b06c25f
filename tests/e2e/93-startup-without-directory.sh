# Start-up without a data directory, three ways: closing the data dialog and answering yes
# quits with 0 and writes nothing; answering no starts without data; and when zor.cfg cannot be
# written the typed directory still loads for this run, and the failed save at shutdown is
# reported too.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
d=$(app_dir app)

# ---- closed, yes: quit ----
app_start "$d"
zc wait-class ZORCFGCLS 30 >/dev/null
zc dlg-close ZORCFGCLS
zc wait-msgbox 10 >"$E2E_DIR/box.txt"
expect_eq "$(sed -n 1p "$E2E_DIR/box.txt")" "提示" "quit question: caption"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "尚未配置数据目录，是否退出程序？" "quit question: text"
shot quit-question
zc dismiss yes
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code after quitting"
[ ! -f "$d/zor.cfg" ] || fail "quitting wrote zor.cfg"

# ---- closed, no: the program starts without data ----
app_start "$d"
zc wait-class ZORCFGCLS 30 >/dev/null
zc dlg-close ZORCFGCLS
zc wait-msgbox 10 >/dev/null
zc dismiss no
zc wait-msgbox 20 >"$E2E_DIR/box.txt"
expect_eq "$(sed -n 1p "$E2E_DIR/box.txt")" "数据目录错误" "loader box without a directory"
zc dismiss
zc wait-class ZORMODESEL 30 >/dev/null
zc dlg-key ZORMODESEL esc
zc gone-class ZORMODESEL 5
expect_eq "$(zc q98 28)" 0 "no instruments"
zc close
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code without data"
rm -f "$d/zor.cfg"

# ---- zor.cfg cannot be written: the directory holds for this run ----
(cd "$d" && wine "$gen" --out demo --count 15 --years 1 --minute-days 2 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)
mkdir "$d/zor.cfg.tmp"  # the save's temporary file cannot be created
app_start "$d"
zc wait-class ZORCFGCLS 30 >/dev/null
zc set-text ZORCFGCLS 1001 'demo\dat'
zc press ZORCFGCLS 1005
zc wait-msgbox 10 >"$E2E_DIR/box.txt"
cat "$E2E_DIR/box.txt"
expect_eq "$(sed -n 1p "$E2E_DIR/box.txt")" "数据目录错误" "failed save: caption"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "配置保存失败：无法写入 zor.cfg。" "failed save: text"
grep -qF "本次设置仅在本次运行中有效。" "$E2E_DIR/box.txt" || fail "failed save: no word on this run"
shot failed-save
zc dismiss
zc gone-class ZORCFGCLS 5
zc wait-class ZORMODESEL 60 >/dev/null
zc dlg-key ZORMODESEL 1
zc gone-class ZORMODESEL 5
n=$(zc q98 28)
[ "$n" -ge 15 ] || fail "the typed directory did not load: $n"
zc close
zc wait-msgbox 10 >"$E2E_DIR/box.txt"
cat "$E2E_DIR/box.txt"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "配置保存失败：无法写入 zor.cfg。" "shutdown: failed save reported"
shot shutdown-failure
zc dismiss
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
[ ! -f "$d/zor.cfg" ] || fail "zor.cfg appeared"
