#!/usr/bin/env bash
# End-to-end tests: the built program in a fresh Wine environment (own Xvfb,
# Japanese prefix, "shell" desktop with taskbar, PulseAudio), looked at from
# the outside with volmaru_driver.exe and with screenshots.
#
#   tests/e2e/run-e2e.sh [build-dir]
#
# build-dir (or VOLMARU_BUILD_DIR) is a finished Windows build holding
# Volmaru.exe, Data\ and volmaru_driver.exe (default <repo>/build/win); this
# script builds nothing. Environment:
#   VOLMARU_E2E_WINE_ROOT  Wine root of the run (default <repo>/build/wine-e2e;
#                          its prefix is made anew on every run)
#   VOLMARU_SCREENSHOTS    where the pictures go (default <repo>/build/screenshots)
#
# Prints one line per check, "PASS <name>" or "FAIL <name>: <why>", then
# "e2e: N passed, N failed". Exit 0 when all passed, 1 when one failed, 2
# when the build is missing or the environment cannot start. Everything it
# started is stopped on every way out.

set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-${VOLMARU_BUILD_DIR:-$repo/build/win}}" 2>/dev/null && pwd) || {
  echo "run-e2e: no build directory ${1:-${VOLMARU_BUILD_DIR:-$repo/build/win}}" >&2
  exit 2
}
exe=$build/Volmaru.exe
driver=$build/volmaru_driver.exe
shots=${VOLMARU_SCREENSHOTS:-$repo/build/screenshots}
for f in "$exe" "$driver" "$build/Data/mute.ico"; do
  if [ ! -f "$f" ]; then
    echo "run-e2e: $f is missing; build the Windows targets first" >&2
    exit 2
  fi
done
mkdir -p "$shots"

# The run owns its X server: screenshots then show exactly the desktop.
unset DISPLAY
export VOLMARU_WINE_ROOT=${VOLMARU_E2E_WINE_ROOT:-$repo/build/wine-e2e}
# shellcheck source=tools/wine-env.sh
. "$repo/tools/wine-env.sh"

log=$VOLMARU_WINE_ROOT/e2e.log
passed=0
failed=0
app_pid=

pass() {
  echo "PASS $1"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL $1: $2"
  failed=$((failed + 1))
}

cleanup() {
  trap - EXIT INT TERM
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  wine_env_stop
}
trap cleanup EXIT
trap 'echo "run-e2e: interrupted" >&2; exit 130' INT TERM

# The driver in the shared desktop; its "\r" are already absent (it writes
# UTF-8 bytes itself), stderr goes to the log.
drv() { wine "$driver" "$@" 2>>"$log"; }

# Area of the tray: the right end of the taskbar, in screen pixels
# (the desktop window's X position added). Sets tray_geom for `convert -crop`.
tray_geom=
find_tray_area() {
  local l t r b v dx=0 dy=0 desk
  read -r l t r b v < <(drv tray-rect) || return 1
  [ "$v" = 1 ] || return 1
  desk=$(_wenv_desktop_window)
  if [ -n "$desk" ]; then
    eval "$(xdotool getwindowgeometry --shell "$desk" | grep -E '^(X|Y)=')"
    dx=${X:-0} dy=${Y:-0}
  fi
  local w=120
  tray_geom="${w}x$((b - t))+$((dx + r - w))+$((dy + t))"
}

shot() {  # shot <name>: full screenshot and the tray crop
  import -window root "$shots/$1.png" 2>>"$log" &&
    convert "$shots/$1.png" -crop "$tray_geom" +repage "$shots/$1-tray.png"
}

# Pixels that differ between two pictures of the same size.
differing_pixels() { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# Pixels close to the blue of the sound waves in the application icon.
icon_blue_pixels() {
  convert "$1" -fuzz 12% -fill black +opaque '#1e88e5' -fill white -opaque '#1e88e5' \
    -format '%[fx:round(mean*w*h)]' info:
}

echo "run-e2e: starting the Wine environment in $VOLMARU_WINE_ROOT" >&2
if ! wine_env_start >/dev/null; then
  echo "run-e2e: the Wine environment did not start (see $VOLMARU_WINE_ROOT/wine-env.log)" >&2
  exit 2
fi
: >"$log"

# (a) The prefix runs in the Japanese ANSI code page.
acp=$(drv acp)
if [ "$acp" = 932 ]; then pass acp-932; else fail acp-932 "GetACP() is '$acp'"; fi

# (b) Taskbar first, then the program and its tray icon.
if find_tray_area; then
  pass taskbar-visible
else
  fail taskbar-visible "no visible Shell_TrayWnd ($(drv tray-rect))"
fi

docs_win=$(drv documents-folder)
docs=$(winepath -u "$docs_win" 2>>"$log")
data_dir="$docs/ミズナラ舎/ボルマルData"
data_existed=0
[ -e "$data_dir" ] && data_existed=1

sleep 0.5
shot e2e-1-before
wine "$exe" </dev/null >>"$log" 2>&1 &
app_pid=$!

icon_ok=0
if drv wait-window TVolumeChangeForm 20000 >/dev/null; then
  for ((i = 0; i < 100; i++)); do
    if drv tray-icon TVolumeChangeForm 1 >/dev/null; then
      icon_ok=1
      break
    fi
    sleep 0.2
  done
fi
# The tray repaints right after the icon is added: wait for the picture to
# change rather than taking the first frame.
diff_px=0
for ((i = 0; i < 25; i++)); do
  shot e2e-2-running
  diff_px=$(differing_pixels "$shots/e2e-1-before-tray.png" "$shots/e2e-2-running-tray.png")
  [ "${diff_px:-0}" -gt 0 ] 2>/dev/null && break
  sleep 0.2
done
blue_before=$(icon_blue_pixels "$shots/e2e-1-before-tray.png")
blue_after=$(icon_blue_pixels "$shots/e2e-2-running-tray.png")
if ! _wenv_alive "$app_pid"; then
  fail smoke "Volmaru.exe ended right after start (see $log)"
elif [ "$icon_ok" != 1 ]; then
  fail smoke "the tray holds no icon 1 of TVolumeChangeForm"
elif ! [ "${diff_px:-0}" -gt 0 ] 2>/dev/null; then
  fail smoke "the tray area looks the same before and after the start ($diff_px)"
elif [ "$blue_before" != 0 ] || [ "${blue_after:-0}" -lt 4 ]; then
  fail smoke "the icon's blue is not in the tray (before $blue_before, after $blue_after px)"
else
  pass smoke
fi

# (c) Start-up made the data folder in Documents.
if [ "$data_existed" = 1 ]; then
  fail data-folder "$data_dir existed before the program started"
elif [ -d "$data_dir" ]; then
  pass data-folder
else
  fail data-folder "no folder $data_dir (documents: $docs_win)"
fi

# (d) The program shows no window: its only top-level windows are hidden,
# and the main window is among them (an empty list would prove nothing).
windows=$(drv list-windows Volmaru.exe)
if ! grep -q $'\tclass=TVolumeChangeForm\t' <<<"$windows"; then
  fail no-visible-window "TVolumeChangeForm is not among its windows: $(tr '\n\t' '; ' <<<"$windows")"
elif grep -q $'\tvisible=1\t' <<<"$windows"; then
  fail no-visible-window "visible: $(grep $'\tvisible=1\t' <<<"$windows" | tr '\n\t' '; ')"
else
  pass no-visible-window
fi

# (e) WM_CLOSE to the main window ends the program and takes the icon away.
if ! drv post-close TVolumeChangeForm; then
  fail close "no TVolumeChangeForm window to close"
else
  for ((i = 0; i < 100; i++)); do
    _wenv_alive "$app_pid" || break
    sleep 0.1
  done
  left=$(drv process-exists Volmaru.exe)
  diff_px=1
  for ((i = 0; i < 25; i++)); do
    shot e2e-3-closed
    diff_px=$(differing_pixels "$shots/e2e-1-before-tray.png" "$shots/e2e-3-closed-tray.png")
    [ "$diff_px" = 0 ] && break
    sleep 0.2
  done
  if _wenv_alive "$app_pid" || [ -n "$left" ]; then
    fail close "Volmaru.exe still runs 10 s after WM_CLOSE"
  elif [ "$diff_px" != 0 ]; then
    fail close "the tray area differs from the empty one by $diff_px pixels"
  else
    pass close
  fi
  app_pid=
fi

echo "run-e2e: screenshots in $shots (e2e-*.png)" >&2
echo "e2e: $passed passed, $failed failed"
[ "$failed" = 0 ]
