#!/usr/bin/env bash
# Builds the libFuzzer targets with clang-14 and runs each for SECONDS (default 60), starting
# from its corpus in fuzz/corpus/<target>/. New inputs go to build/fuzz/corpus/<target>/, so the
# committed corpus only changes by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
ZOR_SETUP_FUZZ=1 bash scripts/setup-debian.sh
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for exe in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$exe")
  work=build/fuzz/corpus/$name
  mkdir -p "$work"
  echo "== $name ($seconds s)"
  nice "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    "$work" "fuzz/corpus/$name" 2>&1 | grep -E "stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY" || true
done
