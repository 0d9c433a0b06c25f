# A program folder longer than 259 UTF-8 bytes: the message, exit code 1, no file written.
name=$(printf '长%.0s' $(seq 45))
d=$(app_dir "$name/$name")
[ "$(printf '%s' "Z:$d\\" | wc -c)" -gt 259 ] || fail "test folder not long enough"
app_start "$d"
zc wait-msgbox 20 >"$E2E_DIR/box.txt"
cat "$E2E_DIR/box.txt"
expect_eq "$(sed -n 2p "$E2E_DIR/box.txt")" "程序所在目录的路径过长（超过 259 字节），请移到较短的路径下再运行。" "text"
zc dismiss
app_wait_exit 20
expect_eq "$APP_RC" 1 "exit code"
expect_eq "$(ls "$d")" "zor_terminal.exe" "files in the folder"
