# A second start in the same folder says so and exits 0 without touching the files.
d=$(app_dir app)
mkdir -p "$d/data"
printf 'DAT_DIR=data\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 30
first=$APP_PID
before=$(md5sum "$d/zor_trace.log" "$d/zor.cfg")

app_start "$d"
zc wait-msgbox 20 >"$E2E_DIR/second.txt"
cat "$E2E_DIR/second.txt"
expect_eq "$(sed -n 1p "$E2E_DIR/second.txt")" "提示" "caption"
expect_eq "$(sed -n 2p "$E2E_DIR/second.txt")" "程序已在运行，同一目录的数据不能被两个程序同时使用。" "text"
shot second-instance
zc dismiss
app_wait_exit 20
expect_eq "$APP_RC" 0 "second process exit code"
expect_eq "$(md5sum "$d/zor_trace.log" "$d/zor.cfg")" "$before" "files untouched"

APP_PID=$first
zc close
app_wait_exit 20
