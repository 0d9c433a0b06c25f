#!/bin/bash
# Prepares the Wine prefix of a Windows build folder once (BUILD/wineprefix), imports the
# font and crash settings, and starts a persistent wineserver with Wine's services, so that
# every later program start costs milliseconds. Idempotent.
#
#   scripts/wine-prefix.sh [BUILD]            prepare (default build/windows) and start the server
#   scripts/wine-prefix.sh --restart [BUILD]  prepare, end any server of the prefix, start a
#                                             fresh one for the current DISPLAY
#   scripts/wine-prefix.sh --stop [BUILD]     end the prefix's wineserver and everything under
#                                             it, and wait until it is gone
#
# A server that is still shutting down when the next one is asked for makes `wineserver -p`
# fail ("already running") and leaves no persistent server: the next program then starts a
# cold server and desktop of its own, slowly and racing with whatever runs next. So stopping
# waits for the server to exit, and --restart starts from no server at all.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
stop=0
restart=0
if [ "${1:-}" = "--stop" ]; then stop=1; shift; fi
if [ "${1:-}" = "--restart" ]; then restart=1; shift; fi
build=${1:-build/windows}
mkdir -p "$build"
. "$here/wine/env.sh"
zor_wine_env "$build"

# Ends the prefix's server (if any) and waits until it has exited.
stop_server() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

if [ $stop = 1 ]; then
  stop_server
  exit 0
fi

# Every Wine process below is detached from our output: helpers that outlive this script
# would otherwise hold the caller's pipes open (ctest waits for them).
quiet() { "$@" </dev/null >/dev/null 2>&1; }

marker="$WINEPREFIX/.zor-prepared"
if [ ! -f "$marker" ]; then
  echo "preparing Wine prefix $WINEPREFIX"
  quiet wineboot -i
  reg="$WINEPREFIX/zor-settings.reg"
  # REG_MULTI_SZ "wqy-microhei.ttc,WenQuanYi Micro Hei" as UTF-16LE bytes with two terminators.
  link=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei' | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ')
  link="hex(7):$(echo $link | tr ' ' ','),00,00,00,00"
  # regedit keeps non-ASCII names only from a UTF-16LE file with a byte-order mark.
  { printf '\xff\xfe'; sed "s/@FONTLINK@/$link/" "$here/wine/settings.reg.txt" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  quiet wine regedit /S "$reg"
  quiet wineserver -w
  touch "$marker"
fi

[ $restart = 1 ] && stop_server
quiet wineserver -p || true  # fails harmlessly when a persistent one already runs
quiet wine cmd /c exit || true
