#!/bin/bash
# End-to-end scenarios of the Windows program under Wine on a virtual display of its own.
#
#   scripts/wine-e2e.sh [BUILD] [SCENARIO...]
#
# BUILD defaults to build/windows and must hold zor_terminal.exe, tools/zorctl/zorctl.exe and
# tools/crashtest/crashtest.exe. Scenarios are the files tests/e2e/[0-9]*.sh (all of them, or
# the named ones). Each runs in its own folder BUILD/e2e/<scenario>/ with a fresh copy of the
# program; its log and screenshots stay there. Every process started here is ended by its PID
# when the run ends, passes or fails, and so is the prefix's wineserver.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-build/windows}
[ $# -gt 0 ] && shift
. "$here/wine/env.sh"
zor_wine_env "$build" || { echo "no build folder $build" >&2; exit 2; }
for f in zor_terminal.exe tools/zorctl/zorctl.exe tools/crashtest/crashtest.exe; do
  [ -f "$ZOR_BUILD/$f" ] || { echo "missing $ZOR_BUILD/$f (build the Windows targets first)" >&2; exit 2; }
done

out="$ZOR_BUILD/e2e"
mkdir -p "$out"
export ZOR_E2E_PIDS="$out/.pids"
: >"$ZOR_E2E_PIDS"
xvfb_pid=

cleanup() {
  local p
  while read -r p; do
    [ -n "$p" ] && kill "$p" 2>/dev/null
  done <"$ZOR_E2E_PIDS"
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -f "$ZOR_E2E_PIDS"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display number nobody uses.
disp=
for n in $(seq 91 199); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then disp=$n; break; fi
done
[ -n "$disp" ] || { echo "no free X display number" >&2; exit 2; }
# Wide enough for the whole training bar, whose last buttons need a window of about 1,650
# pixels; the scenarios read the size from E2E_SCREEN_W and E2E_SCREEN_H.
export E2E_SCREEN_W=1920 E2E_SCREEN_H=1080
Xvfb ":$disp" -screen 0 "${E2E_SCREEN_W}x${E2E_SCREEN_H}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
echo "$xvfb_pid" >>"$ZOR_E2E_PIDS"
export DISPLAY=":$disp"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$disp" ] && break; sleep 0.05; done
[ -e "/tmp/.X11-unix/X$disp" ] || { echo "Xvfb :$disp did not start" >&2; exit 2; }

# A fresh persistent server for this display: one left by an earlier run (the Windows unit
# tests, say) may still be exiting, or may have started its desktop without a display.
"$here/wine-prefix.sh" --restart "$ZOR_BUILD" || { echo "Wine prefix could not be prepared" >&2; exit 2; }
# The desktop process starts with the first program that asks for a window station; start it
# now, for this display, so that no scenario pays for it or races with it.
wine "$ZOR_BUILD/tools/zorctl/zorctl.exe" wait-window 0.1 </dev/null >/dev/null 2>&1 || true
for _ in $(seq 100); do pgrep -f 'explorer.exe /desktop' >/dev/null && break; sleep 0.1; done

# What Wine was doing, for the log of a failed scenario.
wine_state() {
  echo "---- Wine state ($(date +%H:%M:%S.%N | cut -c1-12))"
  echo "DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
  kill -0 "$xvfb_pid" 2>/dev/null && echo "Xvfb $xvfb_pid running" || echo "Xvfb $xvfb_pid NOT running"
  echo "wineserver: $(pgrep -a wineserver | tr '\n' ';' || true)"
  echo "Wine processes (pid, seconds running, command):"
  ps -eo pid,etimes,args | grep -E '[.]exe|wine' | grep -v grep | sed 's/^/  /'
  if [ -s "$1/wine.log" ]; then
    echo "last lines Wine printed:"
    tail -20 "$1/wine.log" | sed 's/^/  /'
  fi
}

if [ $# -gt 0 ]; then
  scenarios=()
  for s in "$@"; do scenarios+=("$root/tests/e2e/${s%.sh}.sh"); done
else
  scenarios=("$root"/tests/e2e/[0-9]*.sh)
fi

elapsed() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

failed=0
start_all=$(date +%s.%N)
for s in "${scenarios[@]}"; do
  name=$(basename "$s" .sh)
  dir="$out/$name"
  rm -rf "$dir"
  mkdir -p "$dir"
  t0=$(date +%s.%N)
  ( export E2E_DIR="$dir" E2E_ROOT="$root"; . "$root/tests/e2e/lib.sh"; set -e; . "$s"; e2e_end ) >"$dir/log" 2>&1
  rc=$?
  # Wine's state as the scenario left it, before anything is ended.
  [ $rc = 0 ] || wine_state "$dir" >>"$dir/log" 2>&1
  # Whatever the scenario left running goes now, before the next one starts.
  while read -r p; do
    [ -n "$p" ] && [ "$p" != "$xvfb_pid" ] && kill "$p" 2>/dev/null
  done <"$ZOR_E2E_PIDS"
  grep -qx "$xvfb_pid" "$ZOR_E2E_PIDS" || echo "$xvfb_pid" >>"$ZOR_E2E_PIDS"
  t=$(elapsed "$t0")
  if [ $rc = 0 ]; then
    printf 'PASS %-28s %5s s\n' "$name" "$t"
  else
    printf 'FAIL %-28s %5s s  (log: %s)\n' "$name" "$t" "$dir/log"
    sed 's/^/    /' "$dir/log" | tail -40
    failed=$((failed + 1))
  fi
done
printf 'e2e: %d scenario(s), %d failed, %s s; screenshots under %s\n' "${#scenarios[@]}" "$failed" \
  "$(elapsed "$start_all")" "$out"
[ $failed = 0 ]
