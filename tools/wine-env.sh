#!/usr/bin/env bash
# The Wine environment every Windows run of this project uses: a private
# prefix in the Japanese locale (ANSI code page 932), one virtual desktop
# named "shell" with a visible taskbar that every Wine program shares, a
# PulseAudio server with two playback devices, and an X server when none is
# given.
#
# Subcommands (run it, do not source it, for these):
#   tools/wine-env.sh start [--reuse]
#       Stops an environment left running under the same root, creates the
#       prefix FRESH (--reuse keeps a complete existing one), starts Xvfb
#       (only when DISPLAY is unset), PulseAudio and the "shell" desktop, and
#       waits until the taskbar is on screen. Prints `export NAME='value'`
#       lines for `eval "$(tools/wine-env.sh start)"` and writes the same
#       lines to $VOLMARU_WINE_ROOT/env.sh (they include HOME, DISPLAY,
#       WINEPREFIX, LANG/LC_ALL, XDG_RUNTIME_DIR and PULSE_SERVER: meant for
#       the shell that runs Wine programs, not for a login shell). Progress
#       goes to stderr, the details to $VOLMARU_WINE_ROOT/wine-env.log.
#       Exit 0 when all is up; on failure it stops what it started, exit 1.
#   tools/wine-env.sh stop
#       Ends every process of the environment (wineserver -k for the
#       prefix, PulseAudio, the Xvfb it started) and waits until they are
#       gone. Idempotent; exit 0.
#   tools/wine-env.sh status    exit 0 when the environment runs, 1 if not
#   tools/wine-env.sh env       print the export lines of the running one
#   tools/wine-env.sh prefix    create the prefix if it is missing (no
#                               services; what tools/wine-exec.sh does)
#   tools/wine-env.sh fresh-prefix
#                               create the prefix anew (no services), e.g.
#                               before a test run through wine-exec.sh
#   tools/wine-env.sh arch      print win32 or win64: the Windows build
#                               this machine's Wine can run (see below)
#
# Sourcing it (`. tools/wine-env.sh`) defines the same operations as shell
# functions without running anything: wine_env_start [--reuse],
# wine_env_stop, wine_env_running, wine_env_load (exports the variables of
# a running environment), wine_env_ensure_prefix. wine_env_start in the
# caller's shell also exports the variables there.
#
# Settings (environment):
#   VOLMARU_WINE_ROOT  where everything lives (default <repo>/build/wine):
#                      prefix/, state/, xdg/ (runtime dir), home/ (HOME of
#                      every process here, so nothing is written into the
#                      real home), env.sh, wine-env.log
#   VOLMARU_SCREEN     desktop and Xvfb size WxH (default 1920x1080)
#   VOLMARU_WINEDEBUG  WINEDEBUG for the programs (default -all)
#   DISPLAY            an X server to use; when unset, Xvfb is started on a
#                      free display number
#   VOLMARU_WINE_ARCH  win32 or win64 (default: win32 where this machine can
#                      run 32-bit programs, win64 where it cannot)
#   VOLMARU_WINE_DPI   the DPI every program of the prefix gets (default 96):
#                      LogPixels under HKCU\Control Panel\Desktop, which
#                      Wine reads when its server starts. An existing prefix
#                      of another DPI is switched over (its server is ended
#                      for that).
#
# The program is 32-bit and runs in a 32-bit prefix. Some kernels have their
# 32-bit emulation switched off ("32-bit emulation disabled" in the kernel
# log; exec of any i386 program fails with "Exec format error"), and then
# 32-bit Wine cannot start at all. There the 64-bit loader runs the 64-bit
# build of the same sources in a 64-bit prefix: `wine` and `wine-stable`
# resolve to it through $VOLMARU_WINE_ROOT/bin, which leads PATH.
#
# All daemons run in their own session (setsid) with their output in the log,
# so a caller's Ctrl+C or a `$(...)` capture never waits on them, and stop
# finds them by recorded pid. Works without a TTY and as root (CI).

_wenv_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Variables every Wine process of the environment needs.
_wenv_vars() {
  VOLMARU_WINE_ROOT=${VOLMARU_WINE_ROOT:-$_wenv_repo/build/wine}
  VOLMARU_SCREEN=${VOLMARU_SCREEN:-1920x1080}
  VOLMARU_WINE_DPI=${VOLMARU_WINE_DPI:-96}
  case "$VOLMARU_WINE_DPI" in
    '' | *[!0-9]*) echo "wine-env: VOLMARU_WINE_DPI must be a number, not '$VOLMARU_WINE_DPI'" >&2; return 1 ;;
  esac
  _wenv_state=$VOLMARU_WINE_ROOT/state
  _wenv_log=$VOLMARU_WINE_ROOT/wine-env.log
  export VOLMARU_WINE_ROOT VOLMARU_SCREEN VOLMARU_WINE_DPI
  export WINEPREFIX=$VOLMARU_WINE_ROOT/prefix
  export WINEDEBUG=${VOLMARU_WINEDEBUG:--all}
  # No Mono or Gecko download dialogs, no menu entries or file associations
  # written into the real home.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Wine takes its ANSI code page from the Unix locale: ja_JP gives 932.
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 LANGUAGE=ja_JP:ja
  # Wine and PulseAudio write into the home folder (menu folders, links of
  # Documents and Desktop, the audio cookie): a private one keeps the real
  # home clean.
  export HOME=$VOLMARU_WINE_ROOT/home
  export XDG_RUNTIME_DIR=$VOLMARU_WINE_ROOT/xdg
  export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
  export PULSE_CLIENTCONFIG=$_wenv_state/pulse-client.conf
  unset WINEARCH
  VOLMARU_WINE_ARCH=${VOLMARU_WINE_ARCH:-$(_wenv_detect_arch)}
  export VOLMARU_WINE_ARCH
  [ "$VOLMARU_WINE_ARCH" = win64 ] && _wenv_use_wine64
  return 0
}

_wenv_wine32=/usr/lib/wine/wine
_wenv_wine64=/usr/lib/wine/wine64

# win32 when the 32-bit loader runs on this machine, win64 otherwise.
_wenv_detect_arch() {
  if "$_wenv_wine32" --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

# Debian's `wine` script prefers the 32-bit loader whenever it is installed,
# runnable or not: wrappers of the same names run the 64-bit one.
_wenv_use_wine64() {
  local bin=$VOLMARU_WINE_ROOT/bin n
  if [ ! -x "$bin/wine-stable" ]; then
    mkdir -p "$bin"
    for n in wine wine-stable; do
      printf '#!/bin/sh\nexec %s "$@"\n' "$_wenv_wine64" >"$bin/$n"
      chmod +x "$bin/$n"
    done
  fi
  case ":$PATH:" in
    *":$bin:"*) ;;
    *) export PATH="$bin:$PATH" ;;
  esac
  export WINELOADER=$_wenv_wine64
}

_wenv_say() {
  echo "wine-env: $*" >&2
  echo "[$(date +%T)] $*" 2>/dev/null >>"$_wenv_log" || true
}

# Runs a command in a session of its own with its output in the log and no
# stdin: whatever it leaves behind (wineserver, explorer) must neither hold
# the caller's pipes open nor get the caller's Ctrl+C.
# Lock descriptors (9) are not passed on: a daemon would hold the lock.
_wenv_quiet() { setsid -w "$@" </dev/null >>"$_wenv_log" 2>&1 9>&-; }

_wenv_alive() {  # pid: running and not a zombie
  local pid=$1 state
  [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
  state=$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -c1)
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}

# Ends a process: TERM, up to 5 s, then KILL. With a name, only a process
# whose command line contains it (a pid file may outlive its process, and
# the number may have been given to another one since).
_wenv_kill() {
  local pid=$1 name=${2:-} i
  _wenv_alive "$pid" || return 0
  if [ -n "$name" ] && ! tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- "$name"; then
    return 0
  fi
  kill -TERM "$pid" 2>/dev/null || true
  for ((i = 0; i < 50; i++)); do
    _wenv_alive "$pid" || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  for ((i = 0; i < 20; i++)); do
    _wenv_alive "$pid" || return 0
    sleep 0.1
  done
}

_wenv_pidfile() { [ -f "$1" ] && cat "$1" 2>/dev/null || true; }

# Waits up to $1 seconds for the command to succeed.
_wenv_wait_for() {
  local secs=$1 i
  shift
  for ((i = 0; i < secs * 10; i++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

_wenv_check_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    _wenv_say "the ja_JP.UTF-8 locale is missing (Wine would use code page 1252); run tools/install-deps.sh"
    return 1
  fi
}

# --- prefix -----------------------------------------------------------------

# A complete prefix of the architecture in use (the marker names it).
_wenv_prefix_ready() { [ "$(cat "$WINEPREFIX/.volmaru-prefix-ready" 2>/dev/null)" = "$VOLMARU_WINE_ARCH" ]; }

# Registry settings of the test prefix, as a REGEDIT4 file.
_wenv_registry() {
  cat <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="shell"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"shell"="$VOLMARU_SCREEN"

[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]
"Audio"="pulse"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf %08x "$VOLMARU_WINE_DPI")
EOF
}

# The DPI the prefix was last given.
_wenv_prefix_dpi() { cat "$WINEPREFIX/.volmaru-dpi" 2>/dev/null || echo 96; }

# Gives a complete prefix the DPI asked for. Wine reads LogPixels when its
# server starts: the server is ended before and after the change.
_wenv_apply_dpi_locked() {
  [ "$(_wenv_prefix_dpi)" = "$VOLMARU_WINE_DPI" ] && return 0
  _wenv_say "giving the prefix $VOLMARU_WINE_DPI dpi"
  _wenv_quiet wineserver -k
  _wenv_quiet timeout 20 wineserver -w
  _wenv_quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$VOLMARU_WINE_DPI" /f ||
    { _wenv_say "could not set LogPixels"; return 1; }
  _wenv_quiet wineserver -k
  _wenv_quiet timeout 20 wineserver -w
  echo "$VOLMARU_WINE_DPI" >"$WINEPREFIX/.volmaru-dpi"
}

_wenv_create_prefix_locked() {
  _wenv_check_locale || return 1
  # A server still running on an old prefix would serve the deleted files.
  [ -d "$WINEPREFIX" ] && _wenv_quiet wineserver -k
  _wenv_quiet timeout 20 wineserver -w
  rm -rf "$WINEPREFIX"
  mkdir -p "$VOLMARU_WINE_ROOT"
  _wenv_say "creating the Wine prefix $WINEPREFIX (ja_JP, $VOLMARU_WINE_ARCH)"
  # A 32-bit prefix, like the 32-bit Windows the program is made for, where
  # this machine runs 32-bit Wine. DISPLAY may be empty here; wineboot
  # needs no X server.
  WINEARCH=$VOLMARU_WINE_ARCH _wenv_quiet timeout 300 wineboot -i || { _wenv_say "wineboot failed"; return 1; }
  local reg=$_wenv_state/settings.reg
  mkdir -p "$_wenv_state"
  _wenv_registry >"$reg"
  # Z: is the Unix root in every prefix.
  _wenv_quiet wine regedit /S "Z:${reg//\//\\}" || { _wenv_say "regedit failed"; return 1; }
  # Wine links Documents, Desktop, ... to the Unix home; the program writes
  # into Documents, so they become folders inside the prefix.
  local link
  while IFS= read -r -d '' link; do
    rm -f "$link" && mkdir -p "$link"
  done < <(find "$WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l -print0)
  # The registry is written to disk when the server ends.
  _wenv_quiet wineserver -k
  _wenv_quiet timeout 20 wineserver -w
  echo "$VOLMARU_WINE_DPI" >"$WINEPREFIX/.volmaru-dpi"
  echo "$VOLMARU_WINE_ARCH" >"$WINEPREFIX/.volmaru-prefix-ready"
}

# Creates the prefix unless a complete one exists (fresh=1: always anew).
_wenv_prefix() {
  local fresh=${1:-0}
  mkdir -p "$VOLMARU_WINE_ROOT" "$_wenv_state" "$HOME"
  (
    flock -w 300 9 || { echo "wine-env: prefix lock timed out" >&2; exit 1; }
    if [ "$fresh" = 1 ] || ! _wenv_prefix_ready; then
      _wenv_create_prefix_locked || exit 1
    fi
    _wenv_apply_dpi_locked || exit 1
  ) 9>"$VOLMARU_WINE_ROOT/prefix.lock"
}

# --- services ---------------------------------------------------------------

_wenv_start_xvfb() {
  if [ -n "${DISPLAY:-}" ]; then
    if ! xdpyinfo >/dev/null 2>&1; then
      _wenv_say "cannot open the X display $DISPLAY (unset DISPLAY to get an Xvfb)"
      return 1
    fi
    _wenv_say "using the X server $DISPLAY"
    echo "$DISPLAY" >"$_wenv_state/display"
    return 0
  fi
  local fdfile=$_wenv_state/xvfb.displayfd
  : >"$fdfile"
  # -displayfd: the server picks a free display number and writes it once it
  # accepts connections.
  setsid Xvfb -displayfd 3 -screen 0 "${VOLMARU_SCREEN}x24" -nolisten tcp -noreset \
    3>"$fdfile" </dev/null >>"$_wenv_log" 2>&1 9>&- &
  echo $! >"$_wenv_state/xvfb.pid"
  if ! _wenv_wait_for 20 grep -q '[0-9]' "$fdfile"; then
    _wenv_say "Xvfb did not start (see $_wenv_log)"
    return 1
  fi
  export DISPLAY=:$(head -n1 "$fdfile" | tr -dc 0-9)
  echo "$DISPLAY" >"$_wenv_state/display"
  _wenv_say "started Xvfb on $DISPLAY (${VOLMARU_SCREEN})"
}

_wenv_pulse_up() { pactl info >/dev/null 2>&1; }

_wenv_start_pulse() {
  mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  # Clients must never spawn a server of their own with the user's config.
  echo "autospawn = no" >"$PULSE_CLIENTCONFIG"
  # Two null sinks are the playback devices "Speakers" and "HDMI"; the
  # socket accepts this user without a cookie.
  setsid pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --use-pid-file=yes --log-target=file:"$_wenv_state/pulse.log" \
    --load="module-null-sink sink_name=speakers sink_properties=device.description=Speakers" \
    --load="module-null-sink sink_name=hdmi sink_properties=device.description=HDMI" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$XDG_RUNTIME_DIR/pulse/native" \
    </dev/null >>"$_wenv_log" 2>&1 || true
  if ! _wenv_wait_for 20 _wenv_pulse_up; then
    _wenv_say "PulseAudio did not start (see $_wenv_state/pulse.log)"
    return 1
  fi
  cp "$XDG_RUNTIME_DIR/pulse/pid" "$_wenv_state/pulse.pid" 2>/dev/null || true
  _wenv_say "started PulseAudio with the sinks Speakers and HDMI"
}

# The X window of the virtual desktop, once it exists.
_wenv_desktop_window() {
  xdotool search --name '^shell - Wine desktop$' 2>/dev/null | head -n1
}

# The taskbar is an X child of the desktop window that spans its width at
# the bottom; it is on screen once that child is mapped.
_wenv_taskbar_viewable() {
  local desk w h id geom cw ch cy
  desk=$(_wenv_desktop_window)
  [ -n "$desk" ] || return 1
  w=${VOLMARU_SCREEN%x*} h=${VOLMARU_SCREEN#*x}
  while read -r id geom; do
    cw=${geom%%x*}
    geom=${geom#*x}
    ch=${geom%%+*}
    cy=${geom##*+}
    if [ "$cw" = "$w" ] && [ $((cy + ch)) = "$h" ] && [ "$ch" -gt 0 ] && [ "$ch" -lt 100 ]; then
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
    fi
  done < <(xwininfo -id "$desk" -children 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) .* \([0-9]*x[0-9]*+[-0-9]*+[-0-9]*\) .*$/\1 \2/p')
  return 1
}

# Starts the "shell" desktop (explorer) detached, pid into <pidfile>, output
# into <log>, and waits until its taskbar is on screen. Started on purpose
# and not left to the first program: a desktop that a program starts inherits
# that program's stdout and would keep its reader waiting.
_wenv_launch_desktop() {
  local pidfile=$1 log=$2
  setsid wine explorer "/desktop=shell,$VOLMARU_SCREEN" </dev/null >>"$log" 2>&1 9>&- &
  echo $! >"$pidfile"
  _wenv_wait_for 60 _wenv_taskbar_viewable
}

_wenv_start_desktop() {
  if ! _wenv_launch_desktop "$_wenv_state/explorer.pid" "$_wenv_log"; then
    _wenv_say "the shell desktop or its taskbar did not appear (see $_wenv_log)"
    return 1
  fi
  _wenv_say "the shell desktop with its taskbar is up (${VOLMARU_SCREEN})"
}

# --- the environment as a whole --------------------------------------------

_wenv_env_lines() {
  local v
  for v in VOLMARU_WINE_ROOT VOLMARU_SCREEN VOLMARU_WINE_ARCH VOLMARU_WINE_DPI WINEPREFIX WINEDEBUG WINEDLLOVERRIDES LANG LC_ALL \
           LANGUAGE HOME XDG_RUNTIME_DIR PULSE_SERVER PULSE_CLIENTCONFIG DISPLAY PATH; do
    printf "export %s='%s'\n" "$v" "${!v}"
  done
  [ -n "${WINELOADER:-}" ] && printf "export WINELOADER='%s'\n" "$WINELOADER"
  return 0
}

wine_env_running() {
  _wenv_vars
  [ -f "$VOLMARU_WINE_ROOT/env.sh" ] || return 1
  _wenv_alive "$(_wenv_pidfile "$_wenv_state/explorer.pid")" || return 1
  _wenv_alive "$(_wenv_pidfile "$_wenv_state/pulse.pid")" || return 1
  if [ -f "$_wenv_state/xvfb.pid" ]; then
    _wenv_alive "$(_wenv_pidfile "$_wenv_state/xvfb.pid")" || return 1
  fi
}

wine_env_load() {
  wine_env_running || return 1
  # shellcheck disable=SC1091
  . "$VOLMARU_WINE_ROOT/env.sh"
}

wine_env_ensure_prefix() {
  _wenv_vars
  _wenv_prefix 0
}

wine_env_stop() {
  _wenv_vars
  mkdir -p "$VOLMARU_WINE_ROOT"
  local pid
  if [ -d "$WINEPREFIX" ]; then
    _wenv_quiet wineserver -k || true
    _wenv_quiet timeout 20 wineserver -w || true
  fi
  _wenv_kill "$(_wenv_pidfile "$_wenv_state/explorer.pid")" explorer
  pid=$(_wenv_pidfile "$_wenv_state/pulse.pid")
  [ -n "$pid" ] || pid=$(_wenv_pidfile "$XDG_RUNTIME_DIR/pulse/pid")
  _wenv_kill "$pid" pulseaudio
  _wenv_kill "$(_wenv_pidfile "$_wenv_state/xvfb.pid")" Xvfb
  rm -f "$_wenv_state/explorer.pid" "$_wenv_state/pulse.pid" "$_wenv_state/xvfb.pid" \
    "$_wenv_state/display" "$VOLMARU_WINE_ROOT/env.sh"
  rm -rf "$XDG_RUNTIME_DIR/pulse"
  return 0
}

wine_env_start() {
  local fresh=1
  [ "${1:-}" = --reuse ] && fresh=0
  _wenv_vars
  _wenv_check_locale || return 1
  wine_env_stop
  mkdir -p "$_wenv_state"
  : >"$_wenv_log"
  if _wenv_start_xvfb && _wenv_prefix "$fresh" && _wenv_start_pulse && _wenv_start_desktop; then
    _wenv_env_lines >"$VOLMARU_WINE_ROOT/env.sh"
    return 0
  fi
  _wenv_say "start failed; stopping what was started"
  wine_env_stop
  return 1
}

# --- command line -----------------------------------------------------------

_wenv_main() {
  set -uo pipefail
  case "${1:-}" in
    start)
      shift
      wine_env_start "$@" || exit 1
      _wenv_env_lines
      ;;
    stop) wine_env_stop ;;
    status)
      if wine_env_running; then
        echo "running (DISPLAY=$(cat "$_wenv_state/display" 2>/dev/null), prefix $WINEPREFIX)"
      else
        echo "not running"
        exit 1
      fi
      ;;
    env)
      wine_env_running || { echo "wine-env: not running" >&2; exit 1; }
      cat "$VOLMARU_WINE_ROOT/env.sh"
      ;;
    prefix) wine_env_ensure_prefix || exit 1 ;;
    fresh-prefix)
      _wenv_vars
      _wenv_prefix 1 || exit 1
      ;;
    arch)
      _wenv_vars
      echo "$VOLMARU_WINE_ARCH"
      ;;
    *)
      sed -n '2,/^$/s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
      exit 2
      ;;
  esac
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  _wenv_main "$@"
fi
