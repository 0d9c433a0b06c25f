# The crash test build: the crash line and a minidump; a crash inside a save, after the
# temporary file and before the replace, leaves the old zor.cfg as it was.
d="$E2E_DIR/app"
mkdir -p "$d"
cp "$ZOR_BUILD/tools/crashtest/crashtest.exe" "$d/"

(cd "$d" && wine "$d/crashtest.exe" null </dev/null >>"$E2E_DIR/wine.log" 2>&1) && fail "no crash" || rc=$?
expect_eq "$rc" 5 "exit code (0xC0000005 & 0xFF)"
expect_in "$d/zor_trace.log" "crashtest null"
expect_in "$d/zor_trace.log" "*** CRASH *** code=0xC0000005 addr=0x"
ls "$d"/zor_crash_*.dmp
[ "$(ls "$d"/zor_crash_*.dmp | wc -l)" = 1 ] || fail "one dump expected"
[ -s "$(ls "$d"/zor_crash_*.dmp)" ] || fail "empty dump"
rm -f "$d"/zor_crash_*.dmp

printf 'DAT_DIR=data\nWIN_X=7\n' >"$d/zor.cfg"
old=$(md5sum <"$d/zor.cfg")
(cd "$d" && wine "$d/crashtest.exe" save </dev/null >>"$E2E_DIR/wine.log" 2>&1) && fail "no crash" || rc=$?
expect_eq "$rc" 5 "exit code of the interrupted save"
expect_eq "$(md5sum <"$d/zor.cfg")" "$old" "zor.cfg unchanged"
expect_in "$d/zor.cfg.tmp" "WIN_X=4242"
expect_in "$d/zor.cfg.tmp" "FS_VER=3"
expect_in "$d/zor_trace.log" "crashtest save"
[ "$(grep -c '\*\*\* CRASH \*\*\*' "$d/zor_trace.log")" = 2 ] || fail "two crash lines expected"
ls "$d"/zor_crash_*.dmp
