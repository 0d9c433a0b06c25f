#!/usr/bin/env bash
# Runs the formula engine beside Tulip Indicators (a fast C library of technical indicators)
# over the same bars and prints the side-by-side table with ratios, then the figures for all
# built-in formulas together.
#
# The library is fetched here, at benchmark time, as the npm package tulind (its C
# amalgamation, external/tiamalgamation.c) into a temporary folder, and compiled beside
# bench/formula_vs_tulip.cpp with the same optimisation as the native build. It is never part
# of the program, the tests or the repository.
#
#   scripts/bench-formula-vs-tulip.sh [repetitions]     (default 101)
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-101}
tulind_version=0.8.20

cmake --preset native >/dev/null
cmake --build --preset native --target zor_formula zor_platform

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack "tulind@$tulind_version" --silent >/dev/null && tar xzf "tulind-$tulind_version.tgz")
lib=$work/package/external
test -f "$lib/tiamalgamation.c"

# RelWithDebInfo's flags, as the engine's own libraries are built.
flags="-O2 -g -DNDEBUG"
gcc $flags -c "$lib/tiamalgamation.c" -I "$lib" -o "$work/tulip.o"
g++ -std=c++20 $flags -DZOR_WITH_TULIP -I src -I "$lib" bench/formula_vs_tulip.cpp "$work/tulip.o" \
  build/native/libzor_formula.a build/native/libzor_platform.a -lpthread -o "$work/formula_vs_tulip"
"$work/formula_vs_tulip" "$repetitions"
