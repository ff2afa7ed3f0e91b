# Shared helpers of the end-to-end run, sourced by run-e2e.sh after it has
# found the build. Defines the result counters, the driver and screenshot
# helpers and the program start/stop used by every group.

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

# --- the tray menu, read from screenshots ------------------------------------
# (Wine cannot read another process's menu): separator lines and text rows
# give the item positions.

# menu_layout <screenshot> <l> <t> <r> <b>: prints "<segments>|<band rows>":
# the count of text rows between separator lines ("2 3 2 ..."), then every
# row band as "segment:first-last" in menu coordinates.
# An optional sixth argument narrows the part looked at to that many pixels
# from the left (a tooltip may cover the menu's right end).
menu_layout() {
  local w=$(($4 - $2)) h=$(($5 - $3)) x1 limit=${6:-250}
  x1=$((w > limit + 10 ? limit : w - 10))
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
  # Under a loaded Xvfb a click now and then never reaches Wine's menu loop
  # (the menu stays open with the row lit); one more click, said in the log.
  if ! drv wait-window-hidden '#32768' 3000 >/dev/null; then
    echo "run-e2e: the menu stayed open after a click on row $1; clicked again" | tee -a "$log" >&2
    xdotool click 1
    drv wait-window-hidden '#32768' 3000 >/dev/null
  fi
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

# --- the settings window ------------------------------------------------------
S=TVolumeChangeSetteiForm
# open_settings: double click on the tray icon; waits for the window.
open_settings() {
  local cx cy
  cx=$((tb_r - (icon_w + 4) / 2)) cy=$(((tb_t + tb_b) / 2))
  xdotool mousemove "$((desk_dx + cx))" "$((desk_dy + cy))" click --repeat 2 --delay 60 1
  drv wait-window "$S" 5000 visible >/dev/null
}
# wait_msgbox [tenths]: prints the first visible message box of the program.
wait_msgbox() {
  local i out
  for ((i = 0; i < ${1:-30}; i++)); do
    out=$(drv msgbox "$app_exe_name") && { echo "$out" | head -n1; return 0; }
    sleep 0.1
  done
  return 1
}

# The first line of the tray's tooltip or balloon that holds <text>.
tray_text_with() {
  local x=$((desk_dx + tb_r - (icon_w + 4) / 2)) y=$((desk_dy + (tb_t + tb_b) / 2)) t i
  xdotool mousemove "$x" "$y" 2>>"$log"
  sleep 0.3
  xdotool mousemove "$((x + 1))" "$y" 2>>"$log"
  for ((i = 0; i < 40; i++)); do
    t=$(drv tooltips | grep -F "$1" | head -n1)
    [ -n "$t" ] && break
    sleep 0.1
  done
  xdotool mousemove 300 300 2>>"$log"
  echo "$t"
}

# Red pixels of a crop of the meter at <left> <top> (desktop coordinates)
# that are not the captions of the set-volume box's buttons: "登録削除" and
# "キャンセル" are red too, and only "ミュート" is looked for.
meter_red_pixels() {  # meter_red_pixels <png> <crop-left> <crop-top>
  local png=$1 rec r l t rr b masked
  masked=${png%.png}-nobuttons.png
  cp "$png" "$masked"
  while IFS= read -r rec; do
    [ "$(field class "$rec")" = Button ] && [ "$(field visible "$rec")" = 1 ] || continue
    IFS=, read -r l t rr b <<<"$(field rect "$rec")"
    convert "$masked" -fill black -draw "rectangle $((l - $2)),$((t - $3)) $((rr - $2)),$((b - $3))" "$masked" \
      2>>"$log"
  done < <(drv children TVolumeBarForm)
  red_pixels "$masked"
}
