#!/usr/bin/env bash
# Idle cost of the resident program against its floor, side by side in one
# Wine desktop: Volmaru.exe at rest (endpoint path, meter hidden) and
# volmaru_bare_tray.exe, a program that keeps only a tray icon, the default
# endpoint's volume interface and a 100 ms timer reading volume and mute.
#
#   tools/idle-cost.sh [build-dir]        (default build/win; build it first)
#
# Environment: VOLMARU_IDLE_SECONDS (measured window, default 60),
# VOLMARU_IDLE_SETTLE (seconds before measuring, default 20),
# VOLMARU_IDLE_RUNS (runs, default 3: the medians and their ratios are
# printed, and every run's figures),
# VOLMARU_IDLE_WINE_ROOT (default build/wine-idle; made fresh).
# Prints CPU time and wake-ups (context switches of all threads) over the
# window and memory (private = pages no other
# process shares, dirty = private pages written to, rss) of both Wine
# processes as Linux counts them, and the ratios program / floor.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/win}" && pwd)
seconds=${VOLMARU_IDLE_SECONDS:-60}
settle=${VOLMARU_IDLE_SETTLE:-20}
export VOLMARU_WINE_ROOT=${VOLMARU_IDLE_WINE_ROOT:-$PWD/build/wine-idle}
for f in Volmaru.exe volmaru_bare_tray.exe volmaru_driver.exe; do
  [ -f "$build/$f" ] || { echo "idle-cost: $build/$f is missing; build the Windows targets first" >&2; exit 2; }
done
unset DISPLAY
runs=${VOLMARU_IDLE_RUNS:-3}
trap 'tools/wine-env.sh stop >/dev/null 2>&1' EXIT
log=$VOLMARU_WINE_ROOT/idle.log

# The Linux process that runs <exe> (Wine's own reports on another process
# read 0): CPU ticks from /proc/<pid>/stat, memory from smaps_rollup.
pid_of() { pgrep -f -x "$1" | head -n1; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Wake-ups: the context switches of all the process's threads.
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/_ctxt_switches:/ { n += $2 } END { print n + 0 }'; }
mem_kb() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/smaps_rollup"; }
uss() { echo $(($(mem_kb "$1" Private_Clean) + $(mem_kb "$1" Private_Dirty))); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }

# One run: a fresh desktop (the prefix made anew for the first run), both
# programs started, left to settle, measured side by side. Prints
# "cpu_a cpu_b wake_a wake_b private_a private_b dirty_a dirty_b rss_a rss_b".
measure_once() {
  local reuse=$1 drv pa pb a0 b0 wa0 wb0 hz cpu_a cpu_b wake_a wake_b i
  # shellcheck disable=SC2086
  eval "$(tools/wine-env.sh start $reuse)"
  drv() { wine "$build/volmaru_driver.exe" "$@" 2>>"$log"; }
  setsid wine "$build/Volmaru.exe" </dev/null >>"$log" 2>&1 &
  setsid wine "$build/volmaru_bare_tray.exe" </dev/null >>"$log" 2>&1 &
  for ((i = 0; i < 200; i++)); do
    drv tray-icon TVolumeChangeForm 1 >/dev/null && drv tray-icon VolmaruBareTray 1 >/dev/null && break
    sleep 0.1
  done
  echo "idle-cost: both programs run; settling ${settle}s, then measuring ${seconds}s" >&2
  sleep "$settle"
  pa=$(pid_of "$build/Volmaru.exe")
  pb=$(pid_of "$build/volmaru_bare_tray.exe")
  a0=$(cpu_ticks "$pa")
  b0=$(cpu_ticks "$pb")
  wa0=$(wakeups "$pa")
  wb0=$(wakeups "$pb")
  sleep "$seconds"
  hz=$(getconf CLK_TCK)
  cpu_a=$((($(cpu_ticks "$pa") - a0) * 1000 / hz))
  cpu_b=$((($(cpu_ticks "$pb") - b0) * 1000 / hz))
  wake_a=$(($(wakeups "$pa") - wa0))
  wake_b=$(($(wakeups "$pb") - wb0))
  echo "$cpu_a $cpu_b $wake_a $wake_b $(uss "$pa") $(uss "$pb") $(mem_kb "$pa" Private_Dirty)" \
    "$(mem_kb "$pb" Private_Dirty) $(mem_kb "$pa" Rss) $(mem_kb "$pb" Rss)"
  drv post-close TVolumeChangeForm >/dev/null || true
  drv post-close VolmaruBareTray >/dev/null || true
  sleep 1
  tools/wine-env.sh stop >/dev/null 2>&1
}

results=()
for ((r = 1; r <= runs; r++)); do
  reuse=--reuse
  [ "$r" = 1 ] && reuse=
  line=$(measure_once "$reuse") || { echo "idle-cost: run $r failed (see $log)" >&2; exit 1; }
  results+=("$line")
  echo "idle-cost: run $r: $line" >&2
done

# column <n>: that value of every run, as one line.
column() { for l in "${results[@]}"; do awk -v n="$1" '{ printf "%s ", $n }' <<<"$l"; done; }
printf '%-22s %12s %10s %14s %14s %14s\n' "median of $runs" "cpu ms/${seconds}s" wake-ups "private kB" "dirty kB" "rss kB"
for side in 1 2; do
  name=Volmaru.exe
  [ "$side" = 2 ] && name=volmaru_bare_tray.exe
  printf '%-22s %12s %10s %14s %14s %14s\n' "$name" "$(column "$side" | median)" "$(column $((2 + side)) | median)" \
    "$(column $((4 + side)) | median)" "$(column $((6 + side)) | median)" "$(column $((8 + side)) | median)"
done
for ((r = 0; r < ${#results[@]}; r++)); do
  awk -v r=$((r + 1)) '{ printf "run %d (program/floor): cpu %s/%s, wake-ups %s/%s, private %s/%s, dirty %s/%s, rss %s/%s\n",
    r, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10 }' <<<"${results[$r]}"
done
echo "ratio of the medians program/floor: cpu $(ratio "$(column 1 | median)" "$(column 2 | median)"), wake-ups $(ratio "$(column 3 | median)" "$(column 4 | median)"), private $(ratio "$(column 5 | median)" "$(column 6 | median)"), dirty $(ratio "$(column 7 | median)" "$(column 8 | median)"), rss $(ratio "$(column 9 | median)" "$(column 10 | median)")"
