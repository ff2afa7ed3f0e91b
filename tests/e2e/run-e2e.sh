#!/usr/bin/env bash
# End-to-end tests: the built program in a fresh Wine environment (own Xvfb,
# Japanese prefix, "shell" desktop with taskbar, PulseAudio), looked at from
# the outside with volmaru_driver.exe, xdotool input and screenshots.
#
#   tests/e2e/run-e2e.sh [build-dir]
#
# build-dir (or VOLMARU_BUILD_DIR) is a finished Windows build holding
# Volmaru.exe, VolmaruTest.exe, Data\ and volmaru_driver.exe (default
# <repo>/build/win); this script builds nothing. Environment:
#   VOLMARU_E2E_WINE_ROOT  Wine root of the run (default <repo>/build/wine-e2e;
#                          its prefix is made anew on every run)
#   VOLMARU_SCREENSHOTS    where the pictures go (default <repo>/build/screenshots)
#   VOLMARU_E2E_GROUPS     only the groups whose file names start with one of
#                          these words, e.g. "10 40" (for working on a group;
#                          the full run is every group)
#
# The checks run in groups, one file each under groups/ (sourced in name
# order into this shell, so later groups see what earlier ones set), each
# with a program started for it (the prefix is shared; Settei.ini and the
# reported Windows version are set per group):
#   start-up      fresh prefix, Windows 7 version: tray icon, data folder,
#                 second instance, TaskbarCreated, WM_CLOSE
#   meter timing  Settei.ini ShowTime=2: the meter hides by itself
#   migration     an old Settei.ini is migrated byte for byte
#   keys/wheel    Windows XP version (mixer volume, which Wine can change)
#   blocked       VolmaruTest.exe: keys while the main thread sleeps
#   tray menu     right-click menu by screenshot and mouse clicks
#   shell/version startup shortcut, mixer message, version window and its
#                 size, restart, and the release ZIP in a fresh prefix
#   devices       endpoint path: device items, colours and the default-device
#                 switch through PolicyConfigStandIn.dll (built with the tests)
#   taskbar later a second desktop whose taskbar appears only later
#   golden        volmaru_golden.exe (built with the tests) draws the tray
#                 icons, the meter, the settings and version windows at
#                 96 dpi; each picture must equal its golden in tests/golden/
#                 pixel for pixel (VOLMARU_GOLDEN_RECORD=1 records them anew)
#   dpi           the desktop again at 144 and 192 dpi: the pictures at
#                 their scaled sizes, the real program's tray number, meter
#                 and settings window; then back at 96 dpi
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
test_exe=$build/VolmaruTest.exe
driver=$build/volmaru_driver.exe
shots=${VOLMARU_SCREENSHOTS:-$repo/build/screenshots}
for f in "$exe" "$test_exe" "$driver" "$build/Data/mute.ico"; do
  if [ ! -f "$f" ]; then
    echo "run-e2e: $f is missing; build the Windows targets first" >&2
    exit 2
  fi
done
mkdir -p "$shots"
rm -f "$shots"/e2e-*.png
# shellcheck source=tests/e2e/lib.sh
. "$repo/tests/e2e/lib.sh"

# --- environment -------------------------------------------------------------

echo "run-e2e: starting the Wine environment in $VOLMARU_WINE_ROOT" >&2
if ! wine_env_start >/dev/null; then
  echo "run-e2e: the Wine environment did not start (see $VOLMARU_WINE_ROOT/wine-env.log)" >&2
  exit 2
fi
: >"$log"
rm -rf "$work"
mkdir -p "$work"

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
settei="$data_dir/Settei.ini"
data_existed=0
[ -e "$data_dir" ] && data_existed=1
xdotool mousemove 300 300


# Width of a small icon: the tray slots are that plus 4 pixels.
icon_w=$(drv system-metric 49)

for group in "$repo"/tests/e2e/groups/*.sh; do
  name=$(basename "$group" .sh)
  if [ -n "${VOLMARU_E2E_GROUPS:-}" ]; then
    wanted=0
    for w in $VOLMARU_E2E_GROUPS; do [[ "$name" == "$w"* ]] && wanted=1; done
    [ "$wanted" = 1 ] || continue
  fi
  echo "run-e2e: group $name" >&2
  # shellcheck source=/dev/null
  . "$group"
done

echo "run-e2e: screenshots in $shots (e2e-*.png)" >&2
echo "e2e: $passed passed, $failed failed"
[ "$failed" = 0 ]
