#!/bin/bash
# Runs a Windows program of a build folder under that build's Wine prefix.
#   scripts/wine-run.sh BUILD PROGRAM.exe [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1
shift
. "$here/wine/env.sh"
zor_wine_env "$build"
exec wine "$@"
