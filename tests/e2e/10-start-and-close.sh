# Start-up on a prepared zor.cfg, the painted title strip, and a clean shutdown through the
# close caption button: zor.cfg rewritten, trace log with its markers.
d=$(app_dir app)
mkdir -p "$d/data"
printf 'DAT_DIR=data\nUSER_NAME=测试用户\nUSER_ACCT=0012345678\nWIN_X=60\nWIN_Y=40\nWIN_W=1100\nWIN_H=700\n' >"$d/zor.cfg"
app_start "$d"

# The empty data folder has no index: the loader's box shows above the splash window.
zc wait-msgbox 20 >"$E2E_DIR/box.txt"
cat "$E2E_DIR/box.txt"
expect_eq "$(head -1 "$E2E_DIR/box.txt")" "数据目录错误" "loading box caption"
shot loading-box
zc dismiss
boxes_until_window 30
expect_in "$E2E_DIR/boxes.txt" "无本地数据"

expect_eq "$(( $(zc q99) & 1 ))" 1 "list view bit of APP+99"
expect_eq "$(zc text 0)" "测试用户" "customer name (APP+94 0)"
expect_eq "$(zc text 1)" "0012345678" "customer account (APP+94 1)"
expect_eq "$(zc q98 28)" 0 "instrument count (APP+98 28)"
expect_eq "$(zc q96 900)" 7 "menu-bar items"
expect_eq "$(zc q96 901)" 3 "caption buttons"
expect_eq "$(zc rect)" "60 40 1100 700" "window placement from zor.cfg"
sleep 0.5
shot main-window

zc click 901 2
app_wait_exit 20
expect_eq "$APP_RC" 0 "exit code"
expect_eq "$(tail -2 "$d/zor.cfg" | head -1)" "FS_VER=3" "second-last zor.cfg line"
expect_eq "$(tail -1 "$d/zor.cfg" | cut -c1-11)" "UPDATE_URL=" "last zor.cfg line"
expect_in "$d/zor.cfg" "USER_NAME=测试用户"
expect_in "$d/zor.cfg" "WIN_X=60"
[ -z "$(tr -cd '\r' <"$d/zor.cfg")" ] || fail "zor.cfg holds CR"
expect_in "$d/zor_trace.log" "========== TRACE START (pid="
expect_in "$d/zor_trace.log" "WinMain start, exeDir="
expect_in "$d/zor_trace.log" " build=Release APP_MODE=1"
expect_in "$d/zor_trace.log" "==== TRACE END (graceful) ===="
