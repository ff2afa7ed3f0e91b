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
#
# The checks run in groups, each with a program started for it (the prefix
# is shared; Settei.ini and the reported Windows version are set per group):
#   start-up      fresh prefix, Windows 7 version: tray icon, data folder,
#                 second instance, TaskbarCreated, WM_CLOSE
#   meter timing  Settei.ini ShowTime=2: the meter hides by itself
#   migration     an old Settei.ini is migrated byte for byte
#   keys/wheel    Windows XP version (mixer volume, which Wine can change)
#   blocked       VolmaruTest.exe: keys while the main thread sleeps
#   tray menu     right-click menu by screenshot and mouse clicks
#   taskbar later a second desktop whose taskbar appears only later
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

# The run owns its X server: screenshots then show exactly the desktop.
unset DISPLAY
export VOLMARU_WINE_ROOT=${VOLMARU_E2E_WINE_ROOT:-$repo/build/wine-e2e}
# shellcheck source=tools/wine-env.sh
. "$repo/tools/wine-env.sh"

log=$VOLMARU_WINE_ROOT/e2e.log
work=$VOLMARU_WINE_ROOT/e2e-work
passed=0
failed=0
app_pid=
helper_pids=()
probe_pid=

pass() {
  echo "PASS $1"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL $1: $2"
  failed=$((failed + 1))
}

# Ends a process this script started, if it still is one of ours (a pid may
# have been given to another process since).
end_mine() { [ -n "$1" ] && _wenv_kill "$1" "${2:-olmaru}"; }

cleanup() {
  trap - EXIT INT TERM
  local p
  end_mine "$app_pid"
  for p in "${helper_pids[@]}"; do end_mine "$p"; done
  end_mine "$probe_pid" desktop=probe
  wine_env_stop
}
trap cleanup EXIT
trap 'echo "run-e2e: interrupted" >&2; exit 130' INT TERM

# The driver in the shared desktop; its "\r" are already absent (it writes
# UTF-8 bytes itself), stderr goes to the log.
drv() { wine "$driver" "$@" 2>>"$log"; }
# The driver inside the second desktop "probe".
drvp() { wine "$driver" --desktop probe "$@" 2>>"$log"; }

# Field <name> of a driver window record.
field() { tr '\t' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n1; }

# Area of the tray: the right end of the taskbar, in screen pixels
# (the desktop window's X position added). Sets tray_geom for `convert -crop`
# and the taskbar rectangle tb_l tb_t tb_r tb_b (desktop coordinates).
tray_geom=
tb_l=0 tb_t=0 tb_r=0 tb_b=0
desk_dx=0 desk_dy=0
find_tray_area() {
  local v desk X Y
  read -r tb_l tb_t tb_r tb_b v < <(drv tray-rect) || return 1
  [ "$v" = 1 ] || return 1
  desk=$(_wenv_desktop_window)
  if [ -n "$desk" ]; then
    eval "$(xdotool getwindowgeometry --shell "$desk" | grep -E '^(X|Y)=')"
    desk_dx=${X:-0} desk_dy=${Y:-0}
  fi
  local w=120
  tray_geom="${w}x$((tb_b - tb_t))+$((desk_dx + tb_r - w))+$((desk_dy + tb_t))"
}

shot() {  # shot <name>: full screenshot, the tray crop and the icon 0 slot
  import -window root "$shots/$1.png" 2>>"$log" &&
    convert "$shots/$1.png" -crop "$tray_geom" +repage "$shots/$1-tray.png" &&
    slot_crop "$shots/$1.png" "$shots/$1-slot.png" "$tb_l $tb_t $tb_r $tb_b" "$desk_dx" "$desk_dy" 0
}
# slot_crop <screenshot> <out> "<taskbar l t r b>" <dx> <dy> <n>: the place of
# tray icon <n> (0 = the rightmost, SM_CXSMICON + 4 pixels wide).
slot_crop() {
  local l t r b w
  read -r l t r b <<<"$3"
  w=$((icon_w + 4))
  convert "$1" -crop "${w}x$((b - t))+$(($4 + r - w * ($6 + 1)))+$(($5 + t))" +repage "$2" 2>>"$log"
}
# crop <name> <shot> <geometry>: a part of a screenshot as its own picture.
crop() { convert "$shots/$2.png" -crop "$3" +repage "$shots/$1.png" 2>>"$log"; }

# Pixels that differ between two pictures of the same size.
differing_pixels() { compare -metric AE -fuzz 3% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

# settle_to <tries> <name> <crop suffix> <reference png>: takes screenshot
# <name> every 0.2 s until its crop equals the reference; prints how many
# pixels still differ at the end (0 = it settled).
settle_to() {
  local tries=$1 name=$2 suffix=$3 ref=$4 d=1 i
  for ((i = 0; i < tries; i++)); do
    shot "$name"
    d=$(differing_pixels "$ref" "$shots/$name-$suffix.png")
    [ "$d" = 0 ] && break
    sleep 0.2
  done
  echo "$d"
}

# Pixels of <picture> within <fuzz> of <colour>.
colour_pixels() {
  convert "$1" -fuzz "$3" -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:round(mean*w*h)]' info: 2>>"$log"
}
# Pure red (0x0000FF as COLORREF): the painted "ミュート".
red_pixels() { colour_pixels "$1" '#ff0000' 10%; }
# The dots' green (0x00FF00).
green_pixels() { colour_pixels "$1" '#00ff00' 10%; }

# "x y r g b" for every pixel of <geometry> of a picture.
region_pixels() {
  convert "$1" -crop "$2" +repage -depth 8 txt:- 2>>"$log" |
    sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p'
}

# --- the program -------------------------------------------------------------

desktop_x=
focus_desktop() {
  [ -n "$desktop_x" ] || desktop_x=$(_wenv_desktop_window)
  xdotool windowfocus "$desktop_x" 2>>"$log"
}
# keys <xdotool arguments>: keyboard input into the Wine desktop.
keys() {
  focus_desktop
  xdotool "$@" 2>>"$log"
}
chord() { keys keydown Muhenkan key "$1" keyup Muhenkan; }  # 無変換 + key

volume_text() { drv child-text TVolumeBarForm Edit; }
# Waits up to <tenths> x 0.1 s for the set-volume box to read <value>;
# prints what it read last.
wait_volume() {
  local want=$1 tenths=${2:-20} v i
  for ((i = 0; i < tenths; i++)); do
    v=$(volume_text)
    [ "$v" = "$want" ] && break
    sleep 0.1
  done
  echo "$v"
}

set_windows_version() {  # winxp (mixer back-end) or default (Windows 7)
  if [ "$1" = winxp ]; then
    wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f >>"$log" 2>&1
  else
    wine reg delete 'HKCU\Software\Wine' /v Version /f >>"$log" 2>&1
  fi
  return 0
}

# write_settei <utf-8 text with \n line ends>: Settei.ini in code page 932
# with CRLF, as the program keeps it.
write_settei() {
  mkdir -p "$data_dir"
  printf '%s' "$1" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$settei"
}

app_winpid=
# start_app [exe]: starts the program, waits for its main window and its tray
# icon. Returns 1 when either does not come.
start_app() {
  local program=${1:-$exe} i
  wine "$program" </dev/null >>"$log" 2>&1 &
  app_pid=$!
  app_winpid=
  drv wait-window TVolumeChangeForm 20000 >/dev/null || return 1
  app_winpid=$(field pid "$(drv find-window TVolumeChangeForm)")
  for ((i = 0; i < 100; i++)); do
    drv tray-icon TVolumeChangeForm 1 >/dev/null && return 0
    sample_windows
    sleep 0.1
  done
  return 1
}

stop_app() {
  local i
  [ -n "$app_pid" ] || return 0
  drv post-close TVolumeChangeForm >/dev/null
  for ((i = 0; i < 100; i++)); do
    _wenv_alive "$app_pid" || break
    sleep 0.1
  done
  if _wenv_alive "$app_pid"; then
    echo "run-e2e: Volmaru did not end on WM_CLOSE; killed" >>"$log"
    end_mine "$app_pid"
    drv wait-process-exit Volmaru.exe 5000 >/dev/null
    drv wait-process-exit VolmaruTest.exe 5000 >/dev/null
  fi
  app_pid=
}

# The program's own top-level windows, sampled now and then: the main
# window is never visible, and no window but the meter ever is.
window_samples=0
window_violations=
sample_windows() {
  [ -n "$app_winpid" ] || return 0
  local list bad
  list=$(drv list-windows "$app_winpid") || return 0
  if ! grep -q $'\tclass=TVolumeChangeForm\t' <<<"$list"; then
    [[ "$window_violations" == *"no TVolumeChangeForm"* ]] || window_violations+="no TVolumeChangeForm among its windows; "
    return 0
  fi
  window_samples=$((window_samples + 1))
  bad=$(grep $'\tvisible=1\t' <<<"$list" | grep -v $'\tclass=TVolumeBarForm\t' | sed 's/^hwnd=[^\t]*\t//')
  local line entry
  while IFS= read -r line; do
    entry="visible: $(tr '\t' ' ' <<<"$line"); "
    [ -n "$line" ] && [[ "$window_violations" != *"$entry"* ]] && window_violations+=$entry
  done <<<"$bad"
  return 0
}

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

# === start-up =================================================================

# The application icon as this tray shows it: the driver holds an icon made
# from the program's own .ico file, loaded at the small-icon size.
icon_w=$(drv system-metric 49)
ref_out=$work/app-icon.out
: >"$ref_out"
drv tray-hold 1500 "$(winepath -w "$repo/resources/volmaru.ico" 2>>"$log")" >"$ref_out" &
ref_pid=$!
for ((i = 0; i < 30; i++)); do grep -q added "$ref_out" && break; sleep 0.1; done
sleep 0.4
shot e2e-0-app-icon
wait "$ref_pid"
sleep 0.5
shot e2e-1-before
start_app
started=$?

# (c) The icon comes, and after the first tick it is the number icon: the
# icon's place differs from the empty tray and from the application icon.
diff_empty=0 diff_app=0
for ((i = 0; i < 30; i++)); do
  shot e2e-2-running
  diff_empty=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-2-running-slot.png")
  diff_app=$(differing_pixels "$shots/e2e-0-app-icon-slot.png" "$shots/e2e-2-running-slot.png")
  [ "${diff_empty:-0}" -ge 40 ] 2>/dev/null && [ "${diff_app:-0}" -ge 40 ] 2>/dev/null && break
  sample_windows
  sleep 0.2
done
app_vs_empty=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-0-app-icon-slot.png")
ico_size=$(identify -format '%wx%h ' "$data_dir/Volume.ico" 2>>"$log")
if ! _wenv_alive "$app_pid"; then
  fail smoke "Volmaru.exe ended right after start (see $log)"
elif [ "$started" != 0 ]; then
  fail smoke "the tray holds no icon 1 of TVolumeChangeForm"
elif ! [ "${app_vs_empty:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the reference application icon did not show in the tray ($app_vs_empty pixels)"
elif ! [ "${diff_empty:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the icon's place looks like the empty tray ($diff_empty pixels differ)"
elif ! [ "${diff_app:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the tray still shows the application icon after the first tick ($diff_app pixels differ)"
elif [[ " $ico_size" != *" 32x32 "* ]]; then
  fail smoke "the data folder holds no 32x32 Volume.ico ('$ico_size')"
else
  pass smoke
fi

# (d) Start-up made the data folder in Documents.
if [ "$data_existed" = 1 ]; then
  fail data-folder "$data_dir existed before the program started"
elif [ -d "$data_dir" ]; then
  pass data-folder
else
  fail data-folder "no folder $data_dir (documents: $docs_win)"
fi

# (e) A second start shows the information box and ends; the first runs on.
expected_text=$'「ボルマル」は既に起動しています。\rタスクトレイにスピーカーのアイコンがあることを確認してください。'
second_check() {
  local second box hwnd kids texts buttons icon_at ref_out ref_pid l t icon_diff other_diff i
  wine "$exe" </dev/null >>"$log" 2>&1 &
  second=$!
  helper_pids+=("$second")
  box=
  for ((i = 0; i < 100; i++)); do
    box=$(drv list-windows Volmaru.exe | grep $'\tclass=#32770\t' | grep $'\tvisible=1\t' |
      grep -v $'\tpid='"$app_winpid"$'\t' | head -n1)
    [ -n "$box" ] && break
    _wenv_alive "$second" || break
    sleep 0.1
  done
  if [ -z "$box" ]; then
    fail second-instance-box "no message box of a second Volmaru.exe (alive: $(_wenv_alive "$second" && echo yes || echo no))"
    end_mine "$second"
    return
  fi
  hwnd=$(field hwnd "$box")
  kids=$(drv children "$hwnd")
  texts=$(grep $'\tclass=Static\t' <<<"$kids" | sed 's/.*\ttitle=//' | grep -v '^$')
  buttons=$(grep $'\tclass=Button\t' <<<"$kids" | sed 's/.*\ttitle=//')
  icon_at=$(grep $'\tclass=Static\t' <<<"$kids" | grep $'\ttitle=$' | head -n1)
  shot e2e-3-second-instance
  crop e2e-3-second-instance-box e2e-3-second-instance \
    "$(field rect "$box" | awk -F, -v dx="$desk_dx" -v dy="$desk_dy" '{printf "%dx%d+%d+%d", $3-$1, $4-$2, $1+dx, $2+dy}')"
  # The box's icon next to Windows' own information icon, drawn by the driver.
  icon_diff=unknown other_diff=unknown
  if [ -n "$icon_at" ]; then
    IFS=, read -r l t _ _ <<<"$(field rect "$icon_at")"
    crop e2e-3-box-icon e2e-3-second-instance "32x32+$((desk_dx + l))+$((desk_dy + t))"
    for kind in information warning; do
      ref_out=$work/show-icon.out
      : >"$ref_out"
      drv show-icon 40 40 "$kind" 1500 >"$ref_out" &
      ref_pid=$!
      for ((i = 0; i < 30; i++)); do grep -q ready "$ref_out" && break; sleep 0.1; done
      import -window root "$work/ref.png" 2>>"$log"
      wait "$ref_pid"
      convert "$work/ref.png" -crop "32x32+$((desk_dx + 40))+$((desk_dy + 40))" +repage "$shots/e2e-3-ref-$kind.png"
      if [ "$kind" = information ]; then
        icon_diff=$(differing_pixels "$shots/e2e-3-box-icon.png" "$shots/e2e-3-ref-$kind.png")
      else
        other_diff=$(differing_pixels "$shots/e2e-3-box-icon.png" "$shots/e2e-3-ref-$kind.png")
      fi
    done
  fi
  if [ "$(field title "$box")" != ボルマル ]; then
    fail second-instance-box "caption '$(field title "$box")'"
  elif [ "$texts" != "$expected_text" ]; then
    fail second-instance-box "text '$(tr '\r\n' '|/' <<<"$texts")'"
  elif [ "$buttons" != OK ]; then
    fail second-instance-box "buttons '$(tr '\n' '|' <<<"$buttons")' instead of one OK"
  elif [ "$icon_diff" != 0 ] || [ "$other_diff" = 0 ]; then
    fail second-instance-box "icon differs from the information icon by $icon_diff pixels (from the warning icon by $other_diff)"
  else
    pass second-instance-box
  fi
  # The box holds the second process; OK ends it.
  local waited_alive=0
  sleep 0.5
  _wenv_alive "$second" && waited_alive=1
  drv post-message "$hwnd" 0x0111 1 0 >/dev/null
  for ((i = 0; i < 50; i++)); do
    _wenv_alive "$second" || break
    sleep 0.1
  done
  local pids
  pids=$(drv process-exists Volmaru.exe | tr -d '\r' | tr '\n' ' ')
  if [ "$waited_alive" != 1 ]; then
    fail second-instance-exit "the second process did not wait for the box"
  elif _wenv_alive "$second"; then
    fail second-instance-exit "the second process still runs 5 s after OK"
  elif [ "$pids" != "$app_winpid " ] || ! _wenv_alive "$app_pid"; then
    fail second-instance-exit "Volmaru.exe processes after OK: '$pids' (first: $app_winpid)"
  elif ! drv tray-icon TVolumeChangeForm 1 >/dev/null; then
    fail second-instance-exit "the first instance lost its tray icon"
  elif [ -z "$(volume_text)" ]; then
    fail second-instance-exit "the first instance does not answer"
  else
    pass second-instance-exit
  fi
}
if [ "$started" = 0 ]; then
  second_check
else
  fail second-instance-box "the first instance did not start"
  fail second-instance-exit "the first instance did not start"
fi
sample_windows

# (f) The shell lost the icon and says "TaskbarCreated": the icon comes back,
# with its picture.
if [ "$started" != 0 ]; then
  fail taskbar-created "the program did not start"
elif ! drv tray-delete TVolumeChangeForm 1 >/dev/null; then
  fail taskbar-created "NIM_DELETE of icon 1 failed"
elif drv tray-icon TVolumeChangeForm 1 >/dev/null; then
  fail taskbar-created "the icon is still there after NIM_DELETE"
else
  sleep 0.3
  shot e2e-4-icon-removed
  removed_diff=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-4-icon-removed-slot.png")
  drv post-message TVolumeChangeForm TaskbarCreated 0 0 >/dev/null
  back=0
  for ((i = 0; i < 30; i++)); do
    drv tray-icon TVolumeChangeForm 1 >/dev/null && { back=1; break; }
    sleep 0.1
  done
  # The same number picture as before (the volume did not change).
  same=$(settle_to 15 e2e-4-icon-back slot "$shots/e2e-2-running-slot.png")
  if [ "$back" != 1 ]; then
    fail taskbar-created "no icon 3 s after TaskbarCreated"
  elif [ "$removed_diff" != 0 ]; then
    fail taskbar-created "the icon's place did not empty after NIM_DELETE ($removed_diff pixels)"
  elif [ "$same" != 0 ]; then
    fail taskbar-created "the icon came back with another picture ($same pixels differ from the number icon before)"
  else
    pass taskbar-created
  fi
fi
sample_windows

# (g) WM_CLOSE to the main window ends the program and takes the icon away.
if ! drv post-close TVolumeChangeForm; then
  fail close "no TVolumeChangeForm window to close"
else
  for ((i = 0; i < 100; i++)); do
    _wenv_alive "$app_pid" || break
    sleep 0.1
  done
  left=$(drv process-exists Volmaru.exe)
  diff_px=$(settle_to 25 e2e-5-closed tray "$shots/e2e-1-before-tray.png")
  if _wenv_alive "$app_pid" || [ -n "$left" ]; then
    fail close "Volmaru.exe still runs 10 s after WM_CLOSE"
  elif [ "$diff_px" != 0 ]; then
    fail close "the tray area differs from the empty one by $diff_px pixels"
  else
    pass close
  fi
fi
stop_app

# === meter timing and the main key ============================================
# Windows XP version from here on: the mixer volume, which Wine can change.
# ShowTime=2: the meter the first tick shows (volume 100) hides by itself
# about 2 s later; the pointer is far from it. Then, with a window of another
# program in the foreground, the main key alone brings the meter back, in
# front, where an arrow alone changes the volume.

set_windows_version winxp
write_settei $'[VolumeBar]\nShowTime=2\n'
xdotool mousemove 300 300
if ! start_app; then
  fail meter-hides "the program did not start"
  fail main-key-alone "the program did not start"
else
  shown_at= hidden_at= early_hide=0
  if drv wait-window TVolumeBarForm 5000 visible >/dev/null; then
    shown_at=$(date +%s%N)
    sample_windows
    sleep 1
    sample_windows
    drv wait-window TVolumeBarForm 10 visible >/dev/null || early_hide=1
    if drv wait-window-hidden TVolumeBarForm 4000 >/dev/null; then hidden_at=$(date +%s%N); fi
  fi
  sample_windows
  if [ -z "$shown_at" ]; then
    fail meter-hides "the meter did not show within 5 s of the icon"
  elif [ "$early_hide" = 1 ]; then
    fail meter-hides "the meter was hidden again within 1 s"
  elif [ -z "$hidden_at" ]; then
    fail meter-hides "the meter is still visible 5 s after it showed (ShowTime=2)"
  else
    pass meter-hides
    echo "run-e2e: meter visible for $(((hidden_at - shown_at) / 1000000)) ms" >>"$log"
  fi

  # (h) The main key alone.
  shot e2e-6-meter-hidden
  fg_out=$work/foreground.out
  : >"$fg_out"
  drv wheel-window 100 100 300 200 4000 >"$fg_out" &
  fg_pid=$!
  for ((i = 0; i < 40; i++)); do grep -q ready "$fg_out" && break; sleep 0.1; done
  fg_before=$(field class "$(drv foreground)")
  v0=$(volume_text)
  keys key Muhenkan
  shown=0
  drv wait-window TVolumeBarForm 2000 visible >/dev/null && shown=1
  sleep 0.3
  fg=$(field class "$(drv foreground)")
  shot e2e-7-meter-main-key
  keys key Left
  v1=$(wait_volume 97 15)
  sample_windows
  wait "$fg_pid"
  if [ -z "$hidden_at" ]; then
    fail main-key-alone "the meter never hid, so the main key cannot show it"
  elif [ "$fg_before" != VolmaruE2EDriverWindow ]; then
    fail main-key-alone "the driver's window did not take the foreground ('$fg_before')"
  elif [ "$shown" != 1 ]; then
    fail main-key-alone "無変換 alone did not show the meter"
  elif [ "$fg" != TVolumeBarForm ]; then
    fail main-key-alone "無変換 alone showed the meter but the foreground window is '${fg:-none}', not the meter; Left alone then gave $v0 -> $v1"
  elif [ "$v0" != 100 ] || [ "$v1" != 97 ]; then
    fail main-key-alone "Left alone with the meter in front: $v0 -> $v1 (want 100 -> 97)"
  else
    pass main-key-alone
  fi
fi
stop_app

# (i) Over both groups, sampled $window_samples times.
if [ "$window_samples" -lt 5 ]; then
  fail no-visible-window "only $window_samples samples of the windows (${window_violations:-})"
elif [ -n "$window_violations" ]; then
  fail no-visible-window "$window_violations"
else
  pass no-visible-window
fi

# === migration ================================================================
# The old [KeyBoad] MainKey=3 (Alt) becomes MainKeyCode/MainKeyName; every
# other byte stays.

settei_head=$'; ボルマルの設定（古い形式）\n[VolumeBar]\n  ShowTime =  10  \n\n[KeyBoad]\n;メインキー\nMainKeyOnly = 1\n'
settei_keyboad_rest=$'Memo=\t値 ; 注釈 \n'
settei_tail=$'\n[その他]\n名前=ボルマル\n   indented   =  yes  \n'
write_settei "${settei_head}MainKey=3"$'\n'"${settei_keyboad_rest}${settei_tail}"
cp "$settei" "$work/settei-original.ini"
printf '%s' "${settei_head}${settei_keyboad_rest}MainKeyCode=18"$'\n'"MainKeyName=Alt"$'\n'"${settei_tail}" |
  sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$work/settei-expected.ini"
xdotool mousemove 300 300
if ! start_app; then
  fail migration "the program did not start"
  fail migration-main-key "the program did not start"
else
  drv wait-window TVolumeBarForm 5000 visible >/dev/null
  sleep 0.3
  cp "$settei" "$work/settei-migrated.ini"
  if cmp -s "$work/settei-migrated.ini" "$work/settei-expected.ini"; then
    pass migration
  else
    fail migration "Settei.ini is not the original with MainKey replaced: $(diff <(iconv -f CP932 -t UTF-8 "$work/settei-expected.ini" | cat -A) <(iconv -f CP932 -t UTF-8 "$work/settei-migrated.ini" | cat -A) | grep '^[<>]' | tr '\n' ' ')"
  fi
  # The migrated key is the one in effect: Alt+Left lowers, 無変換+Left not.
  before=$(wait_volume 100 30)
  xdotool mousemove 300 300
  chord Left
  sleep 0.6
  after_muhenkan=$(volume_text)
  keys keydown Alt_L key Left keyup Alt_L
  after_alt=$(wait_volume 97 20)
  if [ "$before" != 100 ] || [ "$after_muhenkan" != 100 ] || [ "$after_alt" != 97 ]; then
    fail migration-main-key "volume $before, after 無変換+Left $after_muhenkan (want 100), after Alt+Left $after_alt (want 97)"
  else
    pass migration-main-key
  fi
fi
stop_app

# === keys, mute and wheel on the mixer path ===================================

# The meter stays up through the whole group.
write_settei $'[VolumeBar]\nShowTime=60\n'
xdotool mousemove 300 300
meter_rect=
if start_app && drv wait-window TVolumeBarForm 5000 visible >/dev/null; then
  keys_started=1
  meter_rect=$(field rect "$(drv find-window TVolumeBarForm)")
else
  keys_started=0
fi
IFS=, read -r m_l m_t m_r m_b <<<"${meter_rect:-0,0,0,0}"
meter_geom="$((m_r - m_l))x$((m_b - m_t))+$((desk_dx + m_l))+$((desk_dy + m_t))"

# (j) 無変換+Left: 100 -> 97.
if [ "$keys_started" != 1 ]; then
  fail key-left "the program or its meter did not start"
else
  v0=$(wait_volume 100 30)
  chord Left
  v1=$(wait_volume 97 20)
  sleep 0.3
  shot e2e-8-volume-97
  crop e2e-8-meter-97 e2e-8-volume-97 "$meter_geom"
  if [ "$v0" != 100 ] || [ "$v1" != 97 ]; then
    fail key-left "volume $v0 -> $v1 (want 100 -> 97)"
  elif [ "$(volume_text)" != 97 ]; then
    fail key-left "one key press changed the volume more than once ($(volume_text))"
  elif ! [ "$(green_pixels "$shots/e2e-8-meter-97.png")" -gt 10000 ] 2>/dev/null; then
    fail key-left "the meter at 97 shows no dots"
  else
    pass key-left
  fi
fi

# (k) 無変換+5: 50, and the meter picture at 50: ten full dots, then marks.
bar_check() {  # bar_check <screenshot>: prints what is wrong, nothing if all is right
  local bx=$((desk_dx + m_l + 3)) by=$((desk_dy + m_t + 87))
  region_pixels "$1" "954x43+$bx+$by" | awk '
    function cls(r, g, b) {
      if (g > 200 && r < 80 && b < 80) return "G"
      if (r < 80 && g < 80 && b < 80) return "K"
      return "."
    }
    { c[$1 "," $2] = cls($3, $4, $5) }
    function want(x, y, w, what) {
      if (c[x "," y] != w) {
        if (++bad <= 6) printf "%s at bar (%d,%d) is %s, want %s; ", what, x, y, c[x "," y], w
      }
    }
    END {
      for (i = 0; i < 10; i++) {
        x = 5 + 48 * i
        want(x + 21, 21, "G", "dot " i + 1 " centre")
        want(x + 21, 2, "G", "dot " i + 1 " top")
        want(x, 21, "K", "dot " i + 1 " outline")
        want(x + 45, 21, ".", "gap after dot " i + 1)
      }
      for (j = 0; j < 10; j++) {
        x = 485 + 26 * j
        want(x + 10, 21, "G", "mark " j + 1 " centre")
        want(x + 10, 9, "K", "mark " j + 1 " top")
        want(x + 10, 4, ".", "above mark " j + 1)
        want(x, 21, "K", "mark " j + 1 " outline")
        want(x + 23, 21, ".", "gap after mark " j + 1)
      }
      if (bad > 6) printf "and %d more (G green, K black, . neither)", bad - 6
    }'
}
if [ "$keys_started" != 1 ]; then
  fail key-digit "the program did not start"
  fail meter-dots-50 "the program did not start"
else
  chord 5
  v=$(wait_volume 50 20)
  if [ "$v" = 50 ]; then pass key-digit; else fail key-digit "無変換+5 gave $v (want 50)"; fi
  sleep 0.3
  shot e2e-9-volume-50
  crop e2e-9-meter-50 e2e-9-volume-50 "$meter_geom"
  problems=$(bar_check "$shots/e2e-9-volume-50.png")
  if [ "$meter_rect" != 480,847,1440,980 ] && [ "$VOLMARU_SCREEN" = 1920x1080 ]; then
    fail meter-dots-50 "the meter is at $meter_rect, not 480,847,1440,980"
  elif [ -n "$problems" ]; then
    fail meter-dots-50 "$problems"
  else
    pass meter-dots-50
  fi
fi

# (l) 無変換+Down mutes (red "ミュート", no dots, no box); again within
# 1000 ms nothing; after more than 1 s unmutes.
box_visible() { drv children TVolumeBarForm | grep $'\tclass=ComboBox\t' | grep -c $'\tvisible=1\t'; }
if [ "$keys_started" != 1 ]; then
  fail key-mute "the program did not start"
  fail mute-debounce "the program did not start"
  fail key-unmute "the program did not start"
else
  red0=$(red_pixels "$shots/e2e-9-meter-50.png")
  chord Down
  t_mute=$(date +%s%N)
  sleep 0.3
  shot e2e-10-muted
  # The second press, within 1000 ms of the first.
  chord Down
  t_second=$(date +%s%N)
  box1=$(box_visible)
  sleep 0.3
  shot e2e-11-muted-again
  crop e2e-10-meter-muted e2e-10-muted "$meter_geom"
  crop e2e-11-meter-muted-again e2e-11-muted-again "$meter_geom"
  red1=$(red_pixels "$shots/e2e-10-meter-muted.png")
  green1=$(green_pixels "$shots/e2e-10-meter-muted.png")
  red2=$(red_pixels "$shots/e2e-11-meter-muted-again.png")
  if [ "$red0" != 0 ] || ! [ "${red1:-0}" -ge 200 ] 2>/dev/null || [ "$green1" != 0 ] || [ "$box1" != 0 ]; then
    fail key-mute "red pixels $red0 before, $red1 after (want 0, >=200); green after $green1 (want 0); box visible $box1"
  else
    pass key-mute
  fi
  if [ $(((t_second - t_mute) / 1000000)) -ge 1000 ]; then
    fail mute-debounce "the second press came $(((t_second - t_mute) / 1000000)) ms after the first (too slow)"
  elif ! [ "${red1:-0}" -ge 200 ] 2>/dev/null; then
    fail mute-debounce "the first 無変換+Down did not mute"
  elif ! [ "${red2:-0}" -ge 200 ] 2>/dev/null; then
    fail mute-debounce "a second 無変換+Down $(((t_second - t_mute) / 1000000)) ms after the first unmuted (red pixels $red2)"
  else
    pass mute-debounce
  fi
  sleep 1.2
  chord Down
  sleep 0.4
  shot e2e-12-unmuted
  crop e2e-12-meter-unmuted e2e-12-unmuted "$meter_geom"
  red3=$(red_pixels "$shots/e2e-12-meter-unmuted.png")
  problems=$(bar_check "$shots/e2e-12-unmuted.png")
  v=$(volume_text)
  if [ "$red3" != 0 ] || [ -n "$problems" ] || [ "$v" != 50 ]; then
    fail key-unmute "after more than 1 s: red pixels $red3 (want 0), volume '$v' (want 50), bar: ${problems:-ok}"
  else
    pass key-unmute
  fi
fi

# (m) Wheel over the taskbar: -3 per notch, and the window under the pointer
# (a topmost window of the driver lying on the taskbar) gets nothing. The
# same window away from the taskbar gets the wheel, the volume stays.
wheel_window() {  # wheel_window <x> <y> <w> <h> <pointer-x> <pointer-y>: sets wheel_out
  local out=$work/wheel.out pid i
  : >"$out"
  drv wheel-window "$1" "$2" "$3" "$4" 1500 >"$out" &
  pid=$!
  for ((i = 0; i < 40; i++)); do grep -q ready "$out" && break; sleep 0.1; done
  xdotool mousemove "$((desk_dx + $5))" "$((desk_dy + $6))"
  sleep 0.2
  xdotool click 5
  wait "$pid"
  wheel_out=$(tr -d '\r' <"$out" | tr '\n' ' ')
}
if [ "$keys_started" != 1 ]; then
  fail wheel-taskbar "the program did not start"
  fail wheel-elsewhere "the program did not start"
else
  v0=$(volume_text)
  wheel_window 600 $((tb_t - 5)) 200 $((tb_b - tb_t + 5)) 700 $(((tb_t + tb_b) / 2))
  v1=$(wait_volume 47 20)
  if [[ "$wheel_out" != *"foreground=1"* ]]; then
    fail wheel-taskbar "the test window was not in the foreground ($wheel_out)"
  elif [ "$v0" != 50 ] || [ "$v1" != 47 ]; then
    fail wheel-taskbar "one notch down over the taskbar: $v0 -> $v1 (want 50 -> 47)"
  elif [[ "$wheel_out" != *"wheel=0"* ]]; then
    fail wheel-taskbar "the window under the pointer got the wheel ($wheel_out)"
  else
    pass wheel-taskbar
  fi
  wheel_window 300 200 300 200 450 300
  sleep 0.4
  v2=$(volume_text)
  if [[ "$wheel_out" != *"foreground=1"* ]]; then
    fail wheel-elsewhere "the test window was not in the foreground ($wheel_out)"
  elif [[ "$wheel_out" == *"wheel=0"* ]] || [[ "$wheel_out" != *"wheel="* ]]; then
    fail wheel-elsewhere "the window under the pointer got no wheel ($wheel_out)"
  elif [ "$v2" != "$v1" ]; then
    fail wheel-elsewhere "a wheel away from the taskbar changed the volume $v1 -> $v2"
  else
    pass wheel-elsewhere
  fi
fi

stop_app

# === hooks while the main thread is blocked ===================================
# VolmaruTest.exe sleeps on WM_APP+300 (wParam ms); the hooks run on their own
# thread, so a key pressed meanwhile counts once the main thread is back.

rm -f "$settei"
xdotool mousemove 300 300
if ! start_app "$test_exe" || [ "$(wait_volume 100 30)" != 100 ]; then
  fail hooks-during-block "VolmaruTest.exe did not start at volume 100"
else
  focus_desktop
  t0=$(date +%s%N)
  drv post-message TVolumeChangeForm 0x812C 3000 0 >/dev/null
  sleep 0.3
  xdotool keydown Muhenkan key Left keyup Muhenkan
  t_keys=$((($(date +%s%N) - t0) / 1000000))
  # The main thread must still be asleep: a message to its window times out.
  blocked=0
  volume_text >/dev/null || blocked=1
  t_probe=$((($(date +%s%N) - t0) / 1000000))
  v1=$(wait_volume 97 50)
  sleep 0.5
  v2=$(volume_text)
  chord Left
  v3=$(wait_volume 94 20)
  if [ "$t_keys" -ge 3000 ]; then
    fail hooks-during-block "the keys took until $t_keys ms of the 3000 ms block"
  elif [ "$blocked" != 1 ]; then
    fail hooks-during-block "the main thread answered during the block ($t_probe ms): the trigger did not block it"
  elif [ "$v1" != 97 ] || [ "$v2" != 97 ]; then
    fail hooks-during-block "after the block the volume is $v1 then $v2 (want 97: one step of 3)"
  elif [ "$v3" != 94 ]; then
    fail hooks-during-block "after the block 無変換+Left gave $v3 (want 94)"
  else
    pass hooks-during-block
  fi
fi
stop_app

# === tray menu ================================================================
# The menu is read from screenshots (Wine cannot read another process's
# menu): separator lines and text rows give the item positions.

# menu_layout <screenshot> <l> <t> <r> <b>: prints "<segments>|<band rows>":
# the count of text rows between separator lines ("2 3 2 ..."), then every
# row band as "segment:first-last" in menu coordinates.
menu_layout() {
  local w=$(($4 - $2)) h=$(($5 - $3)) x1
  x1=$((w > 260 ? 250 : w - 10))
  region_pixels "$1" "$((x1 - 5))x${h}+$((desk_dx + $2 + 5))+$((desk_dy + $3))" | awk -v h="$h" -v w="$((x1 - 5))" '
    { key = $3 "," $4 "," $5; n[$2 "|" key]++; if ($3 + $4 + $5 < 600) ink[$2] = 1; if (n[$2 "|" key] > best[$2]) { best[$2] = n[$2 "|" key]; bestc[$2] = key } }
    END {
      seg = -1; inband = 0; out = ""; counts = ""
      for (y = 0; y < h; y++) {
        line = best[y] >= 0.95 * w && bestc[y] != "255,255,255"
        if (line) {
          if (inband) { out = out "-" last " "; inband = 0 }
          if (!prevline) { if (seg >= 0) counts = counts c[seg] " "; seg++; c[seg] = 0 }
          prevline = 1; continue
        }
        prevline = 0
        if (ink[y] && seg >= 0) {
          if (!inband) { c[seg]++; out = out seg ":" y; inband = 1 }
          last = y
        } else if (inband && y - last > 2) { out = out "-" last " "; inband = 0 }
      }
      if (inband) out = out "-" last " "
      printf "%s|%s\n", counts, out
    }'
}
band_centre() {  # band_centre <bands> <segment> <index|last>: row of that item
  tr ' ' '\n' <<<"$1" | awk -F'[:-]' -v s="$2" -v k="$3" '
    $1 == s && $1 != "" { n++; a[n] = $2; b[n] = $3 }
    END { if (k == "last") k = n; else k++; if (k >= 1 && k <= n) print int((a[k] + b[k]) / 2) }'
}
# open_menu <shot-name>: right-click on the icon, sets menu_rect (l t r b).
menu_rect=
open_menu() {
  local cx cy rec
  cx=$((tb_r - (icon_w + 4) / 2)) cy=$(((tb_t + tb_b) / 2))
  xdotool mousemove "$((desk_dx + cx))" "$((desk_dy + cy))" click 3
  rec=$(drv wait-window '#32768' 3000 visible) || return 1
  menu_rect=$(field rect "$rec" | tr ',' ' ')
  sleep 0.3
  shot "$1"
}
click_menu_row() {  # click_menu_row <row> <shot-name>: hover, screenshot, click
  local l t r b
  read -r l t r b <<<"$menu_rect"
  xdotool mousemove "$((desk_dx + l + 60))" "$((desk_dy + t + $1))"
  sleep 0.3
  shot "$2"
  xdotool click 1
  drv wait-window-hidden '#32768' 3000 >/dev/null
}
# A click away from the menu closes it (keys do not reach it under Wine).
close_menu() {
  xdotool mousemove "$((desk_dx + 300))" "$((desk_dy + 300))" click 1
  drv wait-window-hidden '#32768' 2000 >/dev/null
}
# Whether rows <a>..<b> of the menu in <shot> are mostly the highlight
# (neither the white background nor ink-free).
row_highlighted() {
  local l t r b
  read -r l t r b <<<"$menu_rect"
  region_pixels "$1" "200x$(($3 - $2 + 1))+$((desk_dx + l + 30))+$((desk_dy + t + $2))" |
    awk '{ if ($3 + $4 + $5 < 600 && !($3 == $4 && $4 == $5)) hl++; n++ } END { exit !(hl > n / 2) }'
}
# Ink in the check-mark column of rows <a>..<b>.
check_mark_pixels() {
  local l t r b
  read -r l t r b <<<"$menu_rect"
  region_pixels "$1" "16x$(($3 - $2 + 1))+$((desk_dx + l + 2))+$((desk_dy + t + $2))" |
    awk '{ if ($3 + $4 + $5 < 300) k++ } END { print k + 0 }'
}

rm -f "$settei"
xdotool mousemove 300 300
if ! start_app || [ "$(wait_volume 100 30)" != 100 ]; then
  fail menu-layout "the program did not start"
  fail menu-no-change-by-key "the program did not start"
  fail menu-end "the program did not start"
else
  # Keys work before the switch.
  chord Left
  v_before=$(wait_volume 97 20)
  layout=
  if open_menu e2e-13-menu; then
    read -r l t r b <<<"$menu_rect"
    crop e2e-13-menu-crop e2e-13-menu "$((r - l))x$((b - t))+$((desk_dx + l))+$((desk_dy + t))"
    layout=$(menu_layout "$shots/e2e-13-menu.png" $l $t $r $b)
  fi
  segments=${layout%%|*}
  bands=${layout#*|}
  if [ -z "$layout" ]; then
    fail menu-layout "no menu window (#32768) after a right click on the icon"
  elif [ "$segments" != "2 3 2 1 1 2 2 2 " ]; then
    fail menu-layout "text rows between separators: '$segments' (want 2 3 2 1 1 2 2 2)"
  else
    pass menu-layout
  fi
  n_row=$(band_centre "$bands" 1 0)
  n_first=$(tr ' ' '\n' <<<"$bands" | awk -F'[:-]' '$1 == 1 { print $2 "-" $3; exit }')
  if [ -z "$layout" ] || [ -z "$n_row" ]; then
    fail menu-no-change-by-key "no item row for キーボード操作では音量変更しない"
    close_menu
  else
    mark_before=$(check_mark_pixels "$shots/e2e-13-menu.png" "${n_first%-*}" "${n_first#*-}")
    click_menu_row "$n_row" e2e-14-menu-hover-n
    hl=0
    row_highlighted "$shots/e2e-14-menu-hover-n.png" "${n_first%-*}" "${n_first#*-}" && hl=1
    sleep 0.3
    file_has=0
    iconv -f CP932 -t UTF-8 "$settei" 2>/dev/null | tr -d '\r' |
      awk '/^\[/ { s = $0 } s == "[NoChangeByKey]" && $0 == "Value=1" { f = 1 } END { exit !f }' && file_has=1
    chord Left
    sleep 0.8
    v_after=$(volume_text)
    # The item now carries a check mark (the menu stays open for the end).
    mark_after=x
    menu_again=0
    if open_menu e2e-15-menu-checked; then
      menu_again=1
      mark_after=$(check_mark_pixels "$shots/e2e-15-menu-checked.png" "${n_first%-*}" "${n_first#*-}")
    fi
    if [ "$v_before" != 97 ]; then
      fail menu-no-change-by-key "無変換+Left did not work before the switch ($v_before)"
    elif [ "$hl" != 1 ]; then
      fail menu-no-change-by-key "the pointer at menu row $n_row did not highlight the item rows $n_first"
    elif [ "$file_has" != 1 ]; then
      fail menu-no-change-by-key "Settei.ini has no [NoChangeByKey] Value=1: $(iconv -f CP932 -t UTF-8 "$settei" 2>&1 | tr '\r\n' ' ')"
    elif [ "$v_after" != 97 ]; then
      fail menu-no-change-by-key "無変換+Left still changes the volume: 97 -> $v_after"
    elif [ "$mark_before" != 0 ] || ! [ "$mark_after" -gt 5 ] 2>/dev/null; then
      fail menu-no-change-by-key "check-mark pixels $mark_before before, $mark_after after"
    else
      pass menu-no-change-by-key
    fi
  fi
  # ボルマルの終了(&E): the last item, in the menu opened again above.
  e_row=
  if [ "${menu_again:-0}" = 1 ] || open_menu e2e-15-menu-checked; then
    read -r l t r b <<<"$menu_rect"
    layout=$(menu_layout "$shots/e2e-15-menu-checked.png" $l $t $r $b)
    e_row=$(band_centre "${layout#*|}" 7 last)
  fi
  if [ -z "$e_row" ]; then
    fail menu-end "no last item row in the menu (${layout:-no menu})"
    close_menu
  else
    click_menu_row "$e_row" e2e-16-menu-hover-end
    ended=0
    for ((i = 0; i < 50; i++)); do
      _wenv_alive "$app_pid" || { ended=1; break; }
      sleep 0.1
    done
    diff_px=$(settle_to 15 e2e-17-after-end tray "$shots/e2e-1-before-tray.png")
    if [ "$ended" != 1 ]; then
      fail menu-end "Volmaru.exe still runs 5 s after ボルマルの終了"
    elif [ "$diff_px" != 0 ]; then
      fail menu-end "the tray still differs from the empty one by $diff_px pixels"
    else
      pass menu-end
      app_pid=
    fi
  fi
fi
stop_app

# === taskbar later ============================================================
# A desktop named "probe" keeps its taskbar hidden until a program adds a tray
# icon. The program waits there; the driver's own icon shows the taskbar; then
# the program's icon comes.

rm -f "$settei"
set_windows_version default
setsid wine explorer /desktop=probe,800x600 "$exe" </dev/null >>"$log" 2>&1 &
probe_pid=$!
# The driver joins "probe" only once its explorer made it (else the driver
# would create a desktop of that name itself).
for ((i = 0; i < 100; i++)); do
  xdotool search --name '^probe - Wine desktop$' >/dev/null 2>&1 && break
  sleep 0.1
done
waiting=0
for ((i = 0; i < 150; i++)); do
  drvp find-window TVolumeChangeForm >/dev/null && { waiting=1; break; }
  sleep 0.1
done
sleep 1.5
probe_before=$(drvp tray-rect)
icon_before=$(drvp tray-icon TVolumeChangeForm 1)
meter_before=$(drvp list-windows Volmaru.exe | grep $'\tvisible=1\t' | grep -c $'\tclass=TVolumeBarForm\t')
hold_out=$work/hold.out
: >"$hold_out"
drvp tray-hold 8000 >"$hold_out" &
hold_pid=$!
helper_pids+=("$hold_pid")
for ((i = 0; i < 30; i++)); do grep -q added "$hold_out" && break; sleep 0.1; done
icon_after=absent taskbar_then=
for ((i = 0; i < 50; i++)); do
  if [ "$(drvp tray-icon TVolumeChangeForm 1)" = present ]; then
    icon_after=present
    taskbar_then=$(drvp tray-rect)
    break
  fi
  sleep 0.1
done
probe_x=$(xdotool search --name '^probe - Wine desktop$' 2>/dev/null | head -n1)
# The program's icon next to the driver's: the same number picture as in the
# shell desktop (same volume, same tray).
probe_same=
if [ -n "$probe_x" ] && [ -n "$taskbar_then" ]; then
  eval "$(xdotool getwindowgeometry --shell "$probe_x" | grep -E '^(X|Y)=')"
  read -r pl pt pr pb _ <<<"$taskbar_then"
  for ((i = 0; i < 15; i++)); do
    import -window root "$shots/e2e-18-probe.png" 2>>"$log"
    crop e2e-18-probe-desktop e2e-18-probe "800x600+$X+$Y"
    for n in 0 1; do
      slot_crop "$shots/e2e-18-probe.png" "$shots/e2e-18-probe-slot$n.png" "$pl $pt $pr $pb" "$X" "$Y" "$n"
      probe_same=$(differing_pixels "$shots/e2e-2-running-slot.png" "$shots/e2e-18-probe-slot$n.png")
      [ "$probe_same" = 0 ] && break 2
    done
    sleep 0.2
  done
fi
if [ "$waiting" != 1 ]; then
  fail taskbar-later "the program's main window did not come up in the probe desktop"
elif [ "${probe_before##* }" != 0 ] || [ "$icon_before" != absent ] || [ "$meter_before" != 0 ]; then
  fail taskbar-later "before any taskbar: taskbar '$probe_before', icon $icon_before, meter visible $meter_before (want hidden, absent, 0)"
elif ! grep -q added "$hold_out"; then
  fail taskbar-later "the driver could not add its own icon ($(cat "$hold_out"))"
elif [ "$icon_after" != present ]; then
  fail taskbar-later "no icon 5 s after the taskbar appeared ($(drvp tray-rect))"
elif [ "${taskbar_then##* }" != 1 ]; then
  fail taskbar-later "the icon came while the taskbar was hidden ($taskbar_then)"
elif [ "$probe_same" != 0 ]; then
  fail taskbar-later "the probe desktop's tray shows no number icon like the shell's (${probe_same:-no picture})"
else
  pass taskbar-later
fi
drvp post-close TVolumeChangeForm >/dev/null
drv wait-process-exit Volmaru.exe 5000 >/dev/null
end_mine "$hold_pid"
wait "$hold_pid" 2>/dev/null
for ((i = 0; i < 50; i++)); do
  _wenv_alive "$probe_pid" || break
  sleep 0.1
done
end_mine "$probe_pid" desktop=probe
probe_pid=

echo "run-e2e: screenshots in $shots (e2e-*.png)" >&2
echo "e2e: $passed passed, $failed failed"
[ "$failed" = 0 ]
