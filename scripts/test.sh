#!/usr/bin/env bash
# Sets up the machine and runs every test: the native unit tests, the same unit tests as Windows
# programs under Wine, and the end-to-end scenarios of the Windows program under Wine on Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-debian.sh

step() { printf '\n==== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }

step "native build"
cmake --preset native >/dev/null
cmake --build --preset native
step "native unit tests"
ctest --preset native

step "Windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows
step "Windows unit tests under Wine"
ctest --preset windows

step "end-to-end scenarios under Wine"
bash scripts/wine-e2e.sh build/windows
step "all tests passed"
