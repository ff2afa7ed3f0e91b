#!/usr/bin/env bash
# Builds Volmaru and runs it under Wine, in the project's Wine environment
# (tools/wine-env.sh): fresh Japanese prefix, "shell" desktop with taskbar,
# PulseAudio playback devices "Speakers" and "HDMI".
#
#   tools/run.sh [--for SECONDS]
#
# Steps: tools/install-deps.sh (needs root when something is missing), CMake
# configure and build of build/win (targets volmaru and volmaru_driver),
# start of the environment, Volmaru.exe in the shell desktop; once its tray
# icon is there, a screenshot goes to build/screenshots/run.png. The program
# then runs until Ctrl+C (which closes it the way the shell would, with
# WM_CLOSE), until it ends by itself, or for SECONDS when --for is given;
# then the environment is stopped.
#
# With DISPLAY set, the desktop opens as a window on that X server; without
# it, an Xvfb is started and the screenshot is the way to see the program.
#
# Environment: VOLMARU_BUILD_DIR (default <repo>/build/win), VOLMARU_WINE_ROOT
# and VOLMARU_SCREEN (see tools/wine-env.sh), VOLMARU_KEEP_PREFIX=1 to reuse a
# complete prefix instead of making it anew.
# Exit: the program's own exit code when it ended by itself, 0 after Ctrl+C
# or --for, 1 when the build or the start failed.

set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
run_for=
while [ $# -gt 0 ]; do
  case "$1" in
    --for)
      run_for=${2:?--for needs a number of seconds}
      shift 2
      ;;
    -h | --help)
      sed -n '2,/^$/s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
      exit 0
      ;;
    *)
      echo "run: unknown argument $1 (see --help)" >&2
      exit 1
      ;;
  esac
done

build=${VOLMARU_BUILD_DIR:-$repo/build/win}
shots=$repo/build/screenshots

say() { echo "run: $*" >&2; }

"$repo/tools/install-deps.sh"

# The 32-bit program, or its 64-bit build where this machine cannot run
# 32-bit Wine (see tools/wine-env.sh).
toolchain=$repo/cmake/mingw-i686.cmake
if [ "$("$repo/tools/wine-env.sh" arch)" = win64 ]; then
  toolchain=$repo/cmake/mingw-x86_64.cmake
  say "this machine cannot run 32-bit programs: running the 64-bit build under Wine"
fi
"$repo/tools/win-build-dir.sh" "$build" "$toolchain"
say "building $build"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target volmaru volmaru_driver

user_display=${DISPLAY:-}
# shellcheck source=tools/wine-env.sh
. "$repo/tools/wine-env.sh"

app_pid=
stopping=0
finish() {
  trap - EXIT INT TERM
  set +e
  if [ -n "$app_pid" ] && _wenv_alive "$app_pid"; then
    say "closing Volmaru"
    wine "$build/volmaru_driver.exe" post-close TVolumeChangeForm </dev/null >/dev/null 2>&1 || true
    for ((i = 0; i < 50; i++)); do
      _wenv_alive "$app_pid" || break
      sleep 0.1
    done
  fi
  say "stopping the Wine environment"
  wine_env_stop
}
trap finish EXIT
trap 'stopping=1' INT TERM

start_args=()
[ "${VOLMARU_KEEP_PREFIX:-0}" = 1 ] && start_args=(--reuse)
wine_env_start "${start_args[@]}" >/dev/null || {
  say "the Wine environment did not start (see $VOLMARU_WINE_ROOT/wine-env.log)"
  exit 1
}

app_log=$VOLMARU_WINE_ROOT/volmaru.log
say "starting $build/Volmaru.exe (log: $app_log)"
(cd "$build" && exec wine ./Volmaru.exe </dev/null >"$app_log" 2>&1) &
app_pid=$!

icon=0
for ((i = 0; i < 150 && stopping == 0; i++)); do
  if ! _wenv_alive "$app_pid"; then break; fi
  if wine "$build/volmaru_driver.exe" tray-icon TVolumeChangeForm 1 </dev/null >/dev/null 2>&1; then
    icon=1
    break
  fi
  sleep 0.2 || true
done
if [ "$icon" != 1 ]; then
  if [ "$stopping" = 1 ]; then exit 0; fi
  say "the tray icon did not appear within 30 s"
  exit 1
fi

mkdir -p "$shots"
sleep 0.5 || true  # let the tray repaint
import -window root "$shots/run.png"
if [ -z "$user_display" ]; then
  say "headless (Xvfb $DISPLAY): screenshot in $shots/run.png"
else
  say "running in the \"shell - Wine desktop\" window on $DISPLAY; screenshot in $shots/run.png"
fi
if [ -n "$run_for" ]; then
  say "Volmaru runs in the tray for $run_for s"
else
  say "Volmaru runs in the tray; Ctrl+C ends it"
fi

started=$SECONDS
while [ "$stopping" = 0 ] && _wenv_alive "$app_pid"; do
  if [ -n "$run_for" ] && [ $((SECONDS - started)) -ge "$run_for" ]; then break; fi
  sleep 0.5 || true
done

if ! _wenv_alive "$app_pid"; then
  rc=0
  wait "$app_pid" || rc=$?
  app_pid=
  say "Volmaru ended with exit code $rc"
  exit "$rc"
fi
exit 0
