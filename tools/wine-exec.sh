#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's environment; the
# cross build's CMAKE_CROSSCOMPILING_EMULATOR, so ctest calls it as
#
#   tools/wine-exec.sh <program.exe> [arguments...]
#
# The program's exit code is passed through (127 when the .exe is missing,
# 125 when the environment cannot be set up); "\r" at line ends of its
# stdout and stderr is removed (Wine's console writes "\r\n").
#
# Environment, as tools/wine-env.sh describes it (VOLMARU_WINE_ROOT, ...):
# - When `tools/wine-env.sh start` runs for the same VOLMARU_WINE_ROOT, the
#   program joins that environment (its X server, desktop and PulseAudio).
# - Otherwise the prefix is created once if it is missing and reused after
#   that; an Xvfb is started when DISPLAY is unset. Runs in parallel share
#   that Xvfb and one wineserver; the last one to finish ends both.

set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: wine-exec.sh <program.exe> [arguments...]" >&2
  exit 2
fi
exe=$1
shift
if [ ! -f "$exe" ]; then
  echo "wine-exec: no such program: $exe" >&2
  exit 127
fi

# shellcheck source=tools/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

users_dir=
private=0

# Joins the bookkeeping of parallel runs: each run holds a file named after
# its pid; a file whose process is gone no longer counts.
_exec_join() {
  wine_env_ensure_prefix || return 1
  local state=$VOLMARU_WINE_ROOT/state
  mkdir -p "$users_dir"
  (
    flock -w 120 9 || exit 1
    local f display=
    for f in "$users_dir"/*; do
      [ -e "$f" ] && ! _wenv_alive "${f##*/}" && rm -f "$f"
    done
    if [ -z "${DISPLAY:-}" ]; then
      if _wenv_alive "$(_wenv_pidfile "$state/exec-xvfb.pid")"; then
        display=$(cat "$state/exec-display")
      else
        : >"$state/exec-xvfb.displayfd"
        setsid Xvfb -displayfd 3 -screen 0 "${VOLMARU_SCREEN}x24" -nolisten tcp -noreset \
          3>"$state/exec-xvfb.displayfd" </dev/null >>"$state/exec.log" 2>&1 9>&- &
        echo $! >"$state/exec-xvfb.pid"
        _wenv_wait_for 20 grep -q '[0-9]' "$state/exec-xvfb.displayfd" || exit 1
        display=:$(head -n1 "$state/exec-xvfb.displayfd" | tr -dc 0-9)
        echo "$display" >"$state/exec-display"
      fi
    fi
    [ -n "$display" ] && export DISPLAY=$display
    # The wineserver and the desktop are started here, detached, with their
    # output in the log and without the lock: started by the program they
    # would inherit its stdout and keep the caller's pipe open after the
    # program ended. They stay until the last run ends them.
    setsid -w wineserver -p </dev/null >>"$state/exec.log" 2>&1 9>&- || true
    if ! _wenv_alive "$(_wenv_pidfile "$state/exec-explorer.pid")"; then
      _wenv_launch_desktop "$state/exec-explorer.pid" "$state/exec.log" || exit 1
    fi
    touch "$users_dir/$$"
    echo "$display"
  ) 9>"$state/exec.lock"
}

# Leaves it again; the last run ends the wineserver and the Xvfb.
_exec_leave() {
  [ -n "$users_dir" ] || return 0
  local state=$VOLMARU_WINE_ROOT/state
  (
    flock -w 120 9 || exit 0
    rm -f "$users_dir/$$"
    local f
    for f in "$users_dir"/*; do
      [ -e "$f" ] || continue
      if _wenv_alive "${f##*/}"; then exit 0; fi
      rm -f "$f"
    done
    setsid -w wineserver -k </dev/null >>"$state/exec.log" 2>&1 || true
    timeout 20 wineserver -w </dev/null >>"$state/exec.log" 2>&1 || true
    _wenv_kill "$(_wenv_pidfile "$state/exec-explorer.pid")" explorer
    _wenv_kill "$(_wenv_pidfile "$state/exec-xvfb.pid")" Xvfb
    rm -f "$state/exec-xvfb.pid" "$state/exec-display" "$state/exec-explorer.pid"
  ) 9>"$state/exec.lock"
  users_dir=
}

if wine_env_load; then
  : # a running environment: everything is there
else
  users_dir=$VOLMARU_WINE_ROOT/state/exec-users
  if ! display=$(_exec_join); then
    echo "wine-exec: could not set up Wine (see $VOLMARU_WINE_ROOT/wine-env.log)" >&2
    _exec_leave
    exit 125
  fi
  [ -n "$display" ] && export DISPLAY=$display
  private=1
fi

child=
_exec_on_signal() {
  [ -n "$child" ] && kill -TERM "$child" 2>/dev/null
  _exec_leave
  exit 130
}
trap _exec_on_signal INT TERM HUP
trap _exec_leave EXIT

# stdout and stderr each through their own filter, so they stay apart.
exec 4> >(sed -u 's/\r$//')
out_filter=$!
exec 5> >(sed -u 's/\r$//' >&2)
err_filter=$!
wine "$exe" "$@" >&4 2>&5 4>&- 5>&- &
child=$!
wait "$child"
rc=$?
child=
exec 4>&- 5>&-
# A process the program left behind may still hold its output open; give
# the filters a moment to drain, then stop waiting for it.
for ((i = 0; i < 30; i++)); do
  _wenv_alive "$out_filter" || _wenv_alive "$err_filter" || break
  sleep 0.1
done
kill "$out_filter" "$err_filter" 2>/dev/null
wait "$out_filter" "$err_filter" 2>/dev/null
[ "$private" = 1 ] && _exec_leave
exit "$rc"
