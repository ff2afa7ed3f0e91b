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
eval "$(tools/wine-env.sh start)"
trap 'tools/wine-env.sh stop >/dev/null 2>&1' EXIT
log=$VOLMARU_WINE_ROOT/idle.log
drv() { wine "$build/volmaru_driver.exe" "$@" 2>>"$log"; }
setsid wine "$build/Volmaru.exe" </dev/null >>"$log" 2>&1 &
setsid wine "$build/volmaru_bare_tray.exe" </dev/null >>"$log" 2>&1 &
for ((i = 0; i < 200; i++)); do
  drv tray-icon TVolumeChangeForm 1 >/dev/null && drv tray-icon VolmaruBareTray 1 >/dev/null && break
  sleep 0.1
done
echo "idle-cost: both programs run; settling ${settle}s, then measuring ${seconds}s" >&2
sleep "$settle"

# The Linux process that runs <exe> (Wine's own reports on another process
# read 0): CPU ticks from /proc/<pid>/stat, memory from smaps_rollup.
pid_of() { pgrep -f -x "$1" | head -n1; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Wake-ups: the context switches of all the process's threads.
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/_ctxt_switches:/ { n += $2 } END { print n + 0 }'; }
mem_kb() { awk -v k="$2:" '$1 == k {print $2}' "/proc/$1/smaps_rollup"; }
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
uss() { echo $(($(mem_kb "$1" Private_Clean) + $(mem_kb "$1" Private_Dirty))); }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
printf '%-22s %12s %10s %14s %14s %14s\n' program "cpu ms/${seconds}s" wake-ups "private kB" "dirty kB" "rss kB"
for p in "Volmaru.exe:$pa:$cpu_a:$wake_a" "volmaru_bare_tray.exe:$pb:$cpu_b:$wake_b"; do
  IFS=: read -r name pid cpu wake <<<"$p"
  printf '%-22s %12s %10s %14s %14s %14s\n' "$name" "$cpu" "$wake" "$(uss "$pid")" "$(mem_kb "$pid" Private_Dirty)" \
    "$(mem_kb "$pid" Rss)"
done
echo "ratio program/floor: cpu $(ratio "$cpu_a" "$cpu_b"), wake-ups $(ratio "$wake_a" "$wake_b"), private $(ratio "$(uss "$pa")" "$(uss "$pb")"), dirty $(ratio "$(mem_kb "$pa" Private_Dirty)" "$(mem_kb "$pb" Private_Dirty)"), rss $(ratio "$(mem_kb "$pa" Rss)" "$(mem_kb "$pb" Rss)")"
drv post-close TVolumeChangeForm >/dev/null || true
drv post-close VolmaruBareTray >/dev/null || true
