#!/usr/bin/env bash
# The one test command: installs what is missing, builds, and runs every
# tier: host unit tests, Windows tests under Wine, a bounded fuzz run of the
# settings parser and the end-to-end checks of the real program in a Wine
# desktop. Ends with "N passed, N failed"; exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
FUZZ_SECONDS=${VOLMARU_FUZZ_SECONDS:-60}
# Everything the run builds or starts lives under one folder.
OUT=${VOLMARU_BUILD_ROOT:-build}
export VOLMARU_WINE_ROOT=${VOLMARU_WINE_ROOT:-$ROOT/$OUT/wine}
export VOLMARU_E2E_WINE_ROOT=${VOLMARU_E2E_WINE_ROOT:-$ROOT/$OUT/wine-e2e}
export VOLMARU_SCREENSHOTS=${VOLMARU_SCREENSHOTS:-$ROOT/$OUT/screenshots}
JOBS=$(nproc)
# The Windows tests that depend on the screen's resolution.
DPI_TESTS='DpiWinTest.*:SetteiFormTest.ThePages*:SetteiFormTest.NoCaption*:*DpiChange*:VersionForm*:VolumeBarForm*:IconRender*-*ManyUpdates*'

passed=0
failed=0
failures=()
note() { printf '\n==== %s\n' "$*"; }
count() {  # count NAME PASSED FAILED
  passed=$((passed + $2))
  failed=$((failed + $3))
  if [ "$3" -gt 0 ]; then failures+=("$1: $3 failed"); fi
}
fatal_step() {  # a step that could not run at all counts as one failure
  count "$1" 0 1
  echo "FAILED STEP: $1"
}

if [ "$(id -u)" -eq 0 ]; then
  tools/install-deps.sh || { echo "dependency installation failed"; exit 1; }
else
  tools/install-deps.sh || { echo "run as root to install the dependencies"; exit 1; }
fi

ctest_counts() {  # ctest_counts NAME BUILD_DIR [env-setup command]
  local log="$2/ctest.log"
  ctest --test-dir "$2" --output-on-failure -j "$JOBS" >"$log" 2>&1
  parse_ctest "$1" "$log" $?
}
parse_ctest() {  # parse_ctest NAME LOG EXIT
  cat "$2"
  local line total failedn
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$2" | tail -1)
  if [ -z "$line" ]; then
    fatal_step "$1 (no ctest summary, exit $3)"
    return
  fi
  failedn=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  count "$1" $((total - failedn)) "$failedn"
}

parse_gtest_cases() {  # parse_gtest_cases NAME LOG EXIT: counts test cases, not programs
  grep -v -E '^([0-9]+: )?\[ +(RUN|OK) +\]' "$2"
  local p f
  p=$(grep -oE '\[  PASSED  \] [0-9]+ tests?' "$2" | awk '{s += $4} END {print s + 0}')
  f=$(grep -oE '[0-9]+ FAILED TESTS?' "$2" | awk '{s += $1} END {print s + 0}')
  # A program that died without its summary still fails the step.
  if [ "$3" -ne 0 ] && [ "$f" -eq 0 ]; then f=1; fi
  if [ "$p" -eq 0 ] && [ "$f" -eq 0 ]; then
    fatal_step "$1 (no test ran, exit $3)"
    return
  fi
  count "$1" "$p" "$f"
}

note "source format (clang-format)"
mkdir -p "$OUT"
if git ls-files "*.cpp" "*.h" | xargs clang-format --dry-run -Werror 2>"$OUT/format.log" >/dev/null; then
  count "format" 1 0
else
  head -20 "$OUT/format.log"
  count "format" 0 1
fi

note "includes run down the layers (tools/check-layers.sh)"
if tools/check-layers.sh; then
  count "layers" 1 0
else
  count "layers" 0 1
fi

note "host build"
if cmake -S . -B $OUT/host -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVOLMARU_WERROR=ON >/dev/null &&
   cmake --build $OUT/host -j "$JOBS"; then
  note "host tests"
  ctest_counts "host tests" $OUT/host
else
  fatal_step "host build"
fi

# The program ships as a 32-bit build. Its Windows tests run under Wine in
# the same build where this machine runs 32-bit Wine; where its kernel cannot
# run 32-bit programs, the 64-bit build of the same sources runs the Windows
# tests and the end-to-end checks, and the 32-bit programs are still built
# (warnings as errors) so that they are known to compile.
WINE_ARCH=$(tools/wine-env.sh arch)
export VOLMARU_WINE_ARCH=$WINE_ARCH
xp_dir=
if [ "$WINE_ARCH" = win32 ]; then
  WIN_TOOLCHAIN=cmake/mingw-i686.cmake
else
  WIN_TOOLCHAIN=cmake/mingw-x86_64.cmake
  note "32-bit programs (this machine cannot run 32-bit Wine: the Windows tests run the 64-bit build)"
  if cmake -S . -B $OUT/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
       -DCMAKE_BUILD_TYPE=Release -DVOLMARU_WERROR=ON -DVOLMARU_TESTS=OFF >/dev/null &&
     cmake --build $OUT/win32 -j "$JOBS" --target volmaru restart_loud_dial; then
    count "32-bit build" 1 0
    xp_dir=$OUT/win32
  else
    fatal_step "32-bit build"
  fi
fi

note "windows build ($WINE_ARCH)"
tools/win-build-dir.sh $OUT/win $WIN_TOOLCHAIN
if cmake -S . -B $OUT/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=$WIN_TOOLCHAIN \
     -DCMAKE_BUILD_TYPE=Release -DVOLMARU_WERROR=ON >/dev/null &&
   cmake --build $OUT/win -j "$JOBS"; then
  note "windows tests under wine"
  # A fresh Japanese prefix with its sound server and desktop for the run;
  # every test program joins it through wine-exec.sh.
  (
    eval "$(tools/wine-env.sh start)" || exit 1
    ctest --test-dir "$OUT/win" -V -j "$JOBS" >"$OUT/win/ctest.log" 2>&1
    rc=$?
    tools/wine-env.sh stop
    exit $rc
  )
  parse_gtest_cases "wine tests" "$OUT/win/ctest.log" $?
  win_ok=1
  # The windows' layout, fonts and pictures again at the common scalings
  # (125 %, 150 %, 200 %): one prefix is switched from one to the next, and
  # 200 % gets a screen that holds the settings window at its size.
  for dpi in 120 144 192; do
    note "windows layout under wine at $dpi dpi"
    screen=1920x1080
    [ "$dpi" -ge 192 ] && screen=3840x2160
    log=$OUT/win/dpi-$dpi.log
    (
      export VOLMARU_WINE_ROOT=$ROOT/$OUT/wine-dpi VOLMARU_WINE_DPI=$dpi VOLMARU_SCREEN=$screen
      eval "$(tools/wine-env.sh start --reuse)" || exit 1
      tools/wine-exec.sh "$OUT/win/volmaru_win_tests.exe" --gtest_color=no \
        --gtest_filter="$DPI_TESTS" >"$log" 2>&1
      rc=$?
      tools/wine-env.sh stop
      exit $rc
    )
    parse_gtest_cases "wine tests at $dpi dpi" "$log" $?
  done
  [ "$WINE_ARCH" = win32 ] && xp_dir=$OUT/win
else
  fatal_step "windows build"
  win_ok=0
fi

note "the shipped programs load on Windows XP"
if [ -n "$xp_dir" ] && tools/check-imports.sh "$xp_dir/Volmaru.exe" "$xp_dir/RestartLoudDial.exe"; then
  count "xp imports" 1 0
else
  fatal_step "xp imports"
fi

note "fuzzing the settings parser for ${FUZZ_SECONDS}s"
if CC=clang CXX=clang++ cmake -S . -B $OUT/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DVOLMARU_FUZZ=ON -DVOLMARU_TESTS=OFF >/dev/null &&
   cmake --build $OUT/fuzz -j "$JOBS" --target ini_document_fuzz; then
  mkdir -p $OUT/fuzz/corpus
  if $OUT/fuzz/ini_document_fuzz $OUT/fuzz/corpus tests/fuzz/seeds -max_total_time="$FUZZ_SECONDS" \
       -max_len=4096 -print_final_stats=1 >$OUT/fuzz/fuzz.log 2>&1; then
    tail -12 $OUT/fuzz/fuzz.log
    count "fuzz" 1 0
  else
    tail -40 $OUT/fuzz/fuzz.log
    count "fuzz" 0 1
  fi
else
  fatal_step "fuzz build"
fi

note "end-to-end checks"
if [ "$win_ok" -eq 1 ]; then
  tests/e2e/run-e2e.sh $OUT/win 2>&1 | tee $OUT/e2e.log
  line=$(grep -E '^e2e: [0-9]+ passed, [0-9]+ failed' $OUT/e2e.log | tail -1)
  if [ -n "$line" ]; then
    count "e2e" "$(sed -E 's/e2e: ([0-9]+) passed.*/\1/' <<<"$line")" \
      "$(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$line")"
  else
    fatal_step "e2e (no summary)"
  fi
else
  fatal_step "e2e (no windows build)"
fi

echo
for f in "${failures[@]}"; do echo "FAILED: $f"; done
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
