#!/usr/bin/env bash
# Benchmarks (not part of the test command): Google Benchmark timings of the
# host code, and the instruction count of one quiet main-timer tick measured
# with callgrind (repeatable whatever else the machine does).
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${VOLMARU_BUILD_ROOT:-build}/bench
cmake -S . -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$OUT" --target volmaru_bench >/dev/null
"$OUT/volmaru_bench" "$@"

# Instructions per tick: only what runs inside Timer1Tick is collected.
ticks() {  # ticks <benchmark>: instructions of one tick in that benchmark
  valgrind --tool=callgrind --callgrind-out-file="$OUT/callgrind.out" \
    --toggle-collect='volmaru::app::Timer1Tick*' \
    "$OUT/volmaru_bench" --benchmark_filter="^$1\$" --benchmark_min_time=0.01 >/dev/null 2>&1
  local ir id calls
  ir=$(awk '/^summary:/ {print $2}' "$OUT/callgrind.out")
  id=$(grep -m1 -o 'cfn=([0-9]*) volmaru::app::Timer1Tick' "$OUT/callgrind.out" | grep -o '([0-9]*)')
  calls=$(awk -v id="cfn=$id" 'index($0, id) == 1 {want=1; next} want && /^calls=/ {split($1, a, "="); n += a[2]; want=0} END {print n+0}' \
    "$OUT/callgrind.out")
  echo "callgrind: $1: $ir instructions in $calls ticks = $((ir / calls)) per tick"
}
ticks BM_QuietTick
ticks BM_ScheduledTick

# The settings window's timings need the real window system: cross-built and
# run under Wine (median of 20 openings and of 20 OKs with every value changed).
WIN=${VOLMARU_BUILD_ROOT:-build}/win
TOOLCHAIN=cmake/mingw-i686.cmake
[ "$(tools/wine-env.sh arch)" = win64 ] && TOOLCHAIN=cmake/mingw-x86_64.cmake
tools/win-build-dir.sh "$WIN" "$TOOLCHAIN"
if cmake -S . -B "$WIN" -G Ninja -DCMAKE_TOOLCHAIN_FILE=$TOOLCHAIN -DCMAKE_BUILD_TYPE=Release \
     >/dev/null && cmake --build "$WIN" --target volmaru_settei_bench >/dev/null; then
  tools/wine-exec.sh "$WIN/volmaru_settei_bench.exe" 20
fi
