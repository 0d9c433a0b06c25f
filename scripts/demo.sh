#!/usr/bin/env bash
# Sets up the machine, builds the Windows program, generates the demo market and starts the
# program on it under Wine. With a desktop (DISPLAY set) the window opens there; without one it
# runs on a virtual display for ZOR_DEMO_SECONDS seconds and a screenshot is saved.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

build=build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows --target zor_terminal gen_market
bash scripts/wine-prefix.sh "$build"
. scripts/wine/env.sh
zor_wine_env "$build"

# The demo lives in its own folder: the program, its zor.cfg and the market beside it.
run="$ZOR_BUILD/demo"
mkdir -p "$run"
cp "$ZOR_BUILD/zor_terminal.exe" "$run/"
if [ ! -f "$run/data/.complete" ]; then
  echo "demo: generating the sample market (about 300 instruments, ten years)"
  (cd "$run" && wine "$ZOR_BUILD/tools/gen_market/gen_market.exe" --out data --layouts dat,vipdoc </dev/null)
  touch "$run/data/.complete"
fi
cp "$run/data/stock_names.txt" "$run/"
[ -f "$run/zor.cfg" ] || printf 'DATAMODE=3\nLC1_DIR=data\\vipdoc\nDAT_DIR=data\\dat\n' >"$run/zor.cfg"

if [ -n "${DISPLAY:-}" ]; then
  echo "demo: starting the program; close its window to end"
  (cd "$run" && wine "$run/zor_terminal.exe")
  exit 0
fi

seconds=${ZOR_DEMO_SECONDS:-20}
display=:$(( 90 + RANDOM % 9 ))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
(cd "$run" && DISPLAY=$display exec wine "$run/zor_terminal.exe" </dev/null >/dev/null 2>&1) &
prog=$!
trap 'kill $prog 2>/dev/null || true; wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
echo "demo: no desktop here; running on virtual display $display for $seconds s"
sleep "$seconds"
shot="$ZOR_BUILD/demo/screenshot.png"
DISPLAY=$display import -window root "$shot" && echo "demo: screenshot $shot"
