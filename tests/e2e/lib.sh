# Helpers of the end-to-end scenarios, sourced by scripts/wine-e2e.sh into each scenario's
# shell. A scenario is a bash file tests/e2e/NN-name.sh run with `set -e` in its own folder
# $E2E_DIR; any failing command fails it. The runner ends every process recorded here.

# The folder of a program copy: $E2E_DIR/NAME with zor_terminal.exe (and nothing else).
app_dir() {
  local d="$E2E_DIR/$1"
  mkdir -p "$d"
  cp "$ZOR_BUILD/zor_terminal.exe" "$d/"
  echo "$d"
}

# app_start DIR [VAR=value...]: starts the program of DIR in the background; APP_PID is its PID.
app_start() {
  local d=$1
  shift
  (cd "$d" && exec env "$@" wine "$d/zor_terminal.exe" </dev/null >>"$E2E_DIR/wine.log" 2>&1) &
  APP_PID=$!
  echo "$APP_PID" >>"$ZOR_E2E_PIDS"
}

# app_wait_exit [SECONDS]: waits for APP_PID to end; APP_RC is its exit code (Wine keeps the
# low 8 bits of the Windows exit code).
app_wait_exit() {
  local limit=${1:-20} i
  for ((i = 0; i < limit * 20; i++)); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      APP_RC=0
      wait "$APP_PID" || APP_RC=$?
      return 0
    fi
    sleep 0.05
  done
  fail "program $APP_PID still running after $limit s"
}

# zc ARGS: runs zorctl (see tools/zorctl/zorctl.cpp for the commands).
zc() { wine "$ZOR_BUILD/tools/zorctl/zorctl.exe" "$@" </dev/null; }

# shot NAME: a screenshot of the whole display as $E2E_DIR/NAME.png.
shot() {
  import -window root "$E2E_DIR/$1.png"
  echo "screenshot $E2E_DIR/$1.png"
}

fail() {
  echo "FAILED: $*" >&2
  return 1
}

# expect_eq GOT WANT [WHAT]
expect_eq() {
  [ "$1" = "$2" ] || fail "${3:-value}: got '$1', want '$2'"
  echo "ok: ${3:-value} = '$2'"
}

# expect_in FILE TEXT: the file holds TEXT (a fixed string).
expect_in() {
  grep -qF -- "$2" "$1" || fail "$1 lacks '$2'"
  echo "ok: $(basename "$1") holds '$2'"
}

# wait_in FILE TEXT [SECONDS]: waits until the file holds TEXT.
wait_in() {
  local i
  for ((i = 0; i < ${3:-10} * 10; i++)); do
    grep -qF -- "$2" "$1" 2>/dev/null && { echo "ok: $(basename "$1") holds '$2'"; return 0; }
    sleep 0.1
  done
  fail "$1 lacks '$2' after ${3:-10} s"
}

# Called after the scenario: a program still running is a failure (the runner ends it).
e2e_end() {
  if [ -n "${APP_PID:-}" ] && kill -0 "$APP_PID" 2>/dev/null; then
    fail "scenario left the program running"
  fi
}

# boxes_until_window [SECONDS]: dismisses every message box until the main window shows, then
# leaves the mode panel of start-up with Esc (history trading); the boxes' captions and texts
# are appended to $E2E_DIR/boxes.txt.
boxes_until_window() {
  local end=$((SECONDS + ${1:-30}))
  : >>"$E2E_DIR/boxes.txt"
  while [ $SECONDS -lt $end ]; do
    if zc wait-window 0.3 2>/dev/null; then
      leave_mode_panel
      return 0
    fi
    # A program that ended before its window showed will never show it: say how it ended.
    if [ -n "${APP_PID:-}" ] && ! kill -0 "$APP_PID" 2>/dev/null; then
      local rc=0
      wait "$APP_PID" || rc=$?
      fail "the program ended (exit code $rc) before its main window showed"
      return 1
    fi
    if zc msgbox >>"$E2E_DIR/boxes.txt" 2>/dev/null; then
      zc dismiss
    fi
  done
  fail "no main window after ${1:-30} s"
}

# leave_mode_panel: waits for the mode panel that start-up shows in the main window and
# leaves it with Esc.
leave_mode_panel() {
  zc wait-class ZORMODESEL 20 >/dev/null || fail "no mode panel"
  zc dlg-key ZORMODESEL esc
  zc gone-class ZORMODESEL 5 || fail "the mode panel stayed"
}

# client_crop NAME SHOT: the client area of the main window cut out of the screenshot
# $E2E_DIR/SHOT.png (see shot) into $E2E_DIR/NAME.png. The client area sits inside the window frame,
# whose width on each side follows from the window's width and the client width (the close
# button ends 12 pixels from the client's right edge); the frame is as thick at the top.
client_crop() {
  local rect x y w h right cw f
  rect=$(zc rect)
  read -r x y w h _ <<<"$rect"
  right=$(zc q98 121 $((901 + 65536 * 2)))   # close button: right x 65536 + bottom
  cw=$(( right / 65536 + 12 ))
  f=$(( (w - cw) / 2 ))
  convert "$E2E_DIR/$2.png" -crop "${cw}x$((h - 2 * f))+$((x + f))+$((y + f))" +repage "$E2E_DIR/$1.png"
  echo "client area $E2E_DIR/$1.png (${cw}x$((h - 2 * f)) at $((x + f)),$((y + f)))"
}

# expect_picture NAME REFERENCE FUZZ% MAXPIXELS [GEOMETRY]: compares $E2E_DIR/NAME.png with the
# reviewed reference image tests/e2e/reference/REFERENCE.png: pixels whose colours differ by
# more than FUZZ% count as different, at most MAXPIXELS may differ. GEOMETRY (WxH+X+Y) limits
# the comparison to that part of both pictures. The difference picture is kept beside the
# screenshot.
expect_picture() {
  local got="$E2E_DIR/$1.png" ref="$E2E_ROOT/tests/e2e/reference/$2.png" diff="$E2E_DIR/$1-diff.png" n
  # ZOR_E2E_RECORD=1 writes a missing reference from this run, to be looked at before it is
  # committed.
  if [ ! -f "$ref" ] && [ -n "${ZOR_E2E_RECORD:-}" ]; then
    cp "$got" "$ref"
    echo "recorded $ref: look at it before committing it"
    return 0
  fi
  [ -f "$ref" ] || fail "no reference picture $ref"
  if [ -n "${5:-}" ]; then
    convert "$got" -crop "$5" +repage "$E2E_DIR/$1-part.png"
    convert "$ref" -crop "$5" +repage "$E2E_DIR/$1-ref-part.png"
    got="$E2E_DIR/$1-part.png"
    ref="$E2E_DIR/$1-ref-part.png"
  fi
  [ "$(identify -format '%wx%h' "$got")" = "$(identify -format '%wx%h' "$ref")" ] ||
    fail "$1: size $(identify -format '%wx%h' "$got"), reference $(identify -format '%wx%h' "$ref")"
  # compare prints the count on stderr, in %g form for large ones (1.2e+06).
  n=$(compare -metric AE -fuzz "$3" "$got" "$ref" "$diff" 2>&1 >/dev/null | awk 'NR == 1 && $1 ~ /^[0-9.e+]+$/ {printf "%d", $1}') || true
  [ -n "$n" ] && [ "$n" -le "$4" ] || fail "$1 differs from $2 in ${n:-?} pixels (at most $4; see $diff)"
  echo "ok: $1 matches $2 ($n pixels differ, at most $4)"
}
