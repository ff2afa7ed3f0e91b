# === the program at 150 % and 200 % ==========================================
# The desktop is started again at 144 dpi on a 2880 x 1620 screen and at
# 192 dpi on a 3840 x 2160 one (the 1920 x 1080 desktop of the goldens,
# scaled), the prefix kept. At each:
#   dpi-<d>-pictures  volmaru_golden.exe draws every golden picture at that
#                     DPI (e2e-98-dpi-<d>-<name>.png): each window is its
#                     96-dpi golden's size times the factor within 2 pixels,
#                     the tray's pictures have the small-icon size of that
#                     DPI, and the 32 x 32 design stays 32 x 32
#   dpi-<d>-tray      the real program's tray number fills a slot of the
#                     small-icon size and is the picture drawn for that DPI
#                     (e2e-98-dpi-<d>-tray-icon.png)
#   dpi-<d>-meter     the wheel over the taskbar shows the meter at its
#                     golden's size times the factor (e2e-98-dpi-<d>-meter.png)
#   dpi-<d>-settings  the settings window opens at 502 x 584 times the factor
#                     (e2e-98-dpi-<d>-settings.png)
# Then the 96-dpi desktop of the other groups comes back.

dpi_golden_dir=$repo/tests/golden
dpi_golden_exe=$build/volmaru_golden.exe

# dpi_size <png>: "W H" of a picture.
dpi_size() { identify -format '%w %h' "$1" 2>>"$log"; }

# dpi_near <got> <want>: within 2 pixels.
dpi_near() { [ $(($1 - $2)) -le 2 ] && [ $(($2 - $1)) -le 2 ]; }

# dpi_window_shot <class> <png>: the window's rectangle cut from the screen;
# prints "W H" of the window.
dpi_window_shot() {
  local rect l t r b
  rect=$(field rect "$(drv find-window "$1")")
  [ -n "$rect" ] || return 1
  IFS=, read -r l t r b <<<"$rect"
  import -window root "$work/dpi-full.png" 2>>"$log" &&
    convert "$work/dpi-full.png" -crop "$((r - l))x$((b - t))+$((desk_dx + l))+$((desk_dy + t))" +repage "$2" 2>>"$log"
  echo "$((r - l)) $((b - t))"
}

# dpi_pictures <dpi> <factor x 100>
dpi_pictures() {
  local dpi=$1 f=$2 out=$work/golden-$1 rc golden name want_w want_h w h problems=() small=$icon_w
  rm -rf "$out"
  mkdir -p "$out"
  timeout 120 wine "$dpi_golden_exe" "$(winepath -w "$out" 2>>"$log")" "$dpi" >"$work/golden-$dpi.log" 2>&1 </dev/null
  rc=$?
  tr -d '\r' <"$work/golden-$dpi.log" >>"$log"
  if [ "$rc" != 0 ]; then
    fail "dpi-$dpi-pictures" "volmaru_golden.exe ended with $rc: $(tr -d '\r' <"$work/golden-$dpi.log" | grep 'volmaru_golden:' | tail -n 2 | tr '\n' ' ')"
    return
  fi
  for golden in "$dpi_golden_dir"/*.png; do
    name=$(basename "$golden" .png)
    if [ ! -f "$out/$name.bmp" ]; then
      problems+=("$name: not drawn")
      continue
    fi
    convert "$out/$name.bmp" -alpha off -strip "$shots/e2e-98-dpi-$dpi-$name.png" 2>>"$log"
    read -r w h <<<"$(dpi_size "$shots/e2e-98-dpi-$dpi-$name.png")"
    read -r want_w want_h <<<"$(dpi_size "$golden")"
    case $name in
      tray-*small*) want_w=$small want_h=$small ;;
      tray-*) ;;  # the 32 x 32 design, what Volume.ico holds
      *) want_w=$(((want_w * f + 50) / 100)) want_h=$(((want_h * f + 50) / 100)) ;;
    esac
    if [[ "$name" == tray-* ]]; then
      [ "$w" = "$want_w" ] && [ "$h" = "$want_h" ] || problems+=("$name: ${w}x$h, not ${want_w}x$want_h")
    elif [ "$name" = version ]; then
      # Its client area is the design scaled; the frame and the caption
      # (8 x 27 pixels at 96 dpi) are the system's and may grow less.
      if [ "$w" -gt $((want_w + 2)) ] || [ "$w" -lt $((want_w - 2 - 8 * (f - 100) / 100)) ] ||
         [ "$h" -gt $((want_h + 2)) ] || [ "$h" -lt $((want_h - 2 - 27 * (f - 100) / 100)) ]; then
        problems+=("$name: ${w}x$h, not about ${want_w}x$want_h")
      fi
    elif ! dpi_near "$w" "$want_w" || ! dpi_near "$h" "$want_h"; then
      problems+=("$name: ${w}x$h, not about ${want_w}x$want_h")
    fi
  done
  if [ ${#problems[@]} -eq 0 ]; then
    pass "dpi-$dpi-pictures"
  else
    local list
    list=$(printf '%s; ' "${problems[@]}")
    fail "dpi-$dpi-pictures" "${list%; }"
  fi
}

# dpi_program <dpi> <factor x 100>: the real program at that DPI.
dpi_program() {
  local dpi=$1 f=$2 w h want_w want_h
  rm -rf "$data_dir"
  if ! start_app; then
    fail "dpi-$dpi-tray" "no tray icon (see $log)"
    return
  fi
  # The slot, taskbar height high, holds the icon: its blue background
  # (the default back colour) spans the small-icon size, and the icon is
  # the picture volmaru_golden.exe drew for this DPI (a fresh sound server
  # starts at 100), after a few tries while the first ticks draw it.
  # Wine 8's shell shows a 24-pixel icon with its bottom-left 8 x 6 pixels
  # XOR'd onto the taskbar (yellow on white) though its mask is opaque, as
  # if the mask's rows lost their padding: the top three quarters are
  # compared.
  local i n d best=none box top=$((icon_w * 3 / 4))
  for ((i = 0; i < 10; i++)); do
    sleep 0.5
    shot "e2e-98-dpi-$dpi"
    box=$(convert "$shots/e2e-98-dpi-$dpi-slot.png" -fill black -opaque white -fuzz 2% -fill white -opaque '#0000ff' \
      -fill black +opaque white -format '%@' info: 2>>"$log")
    convert "$shots/e2e-98-dpi-$dpi-slot.png" -crop "${icon_w}x$icon_w+2+2" +repage "$shots/e2e-98-dpi-$dpi-tray-icon.png" \
      2>>"$log"
    convert "$shots/e2e-98-dpi-$dpi-tray-icon.png" -crop "${icon_w}x$top+0+0" +repage "$work/dpi-tray-top.png" 2>>"$log"
    best=none
    for n in 0 9 10 99 100; do
      convert "$shots/e2e-98-dpi-$dpi-tray-small-$n.png" -crop "${icon_w}x$top+0+0" +repage "$work/dpi-drawn-top.png" \
        2>>"$log"
      d=$(differing_pixels "$work/dpi-drawn-top.png" "$work/dpi-tray-top.png")
      [ "$d" = 0 ] 2>/dev/null && best=$n
    done
    [ "$box" = "${icon_w}x$icon_w+2+2" ] && [ "$best" != none ] && break
  done
  if [ "$box" != "${icon_w}x$icon_w+2+2" ]; then
    fail "dpi-$dpi-tray" "the number's picture in the tray is ${box:-nothing}, not ${icon_w}x$icon_w+2+2"
  elif [ "$best" = none ]; then
    fail "dpi-$dpi-tray" "the tray's number is none of the pictures drawn at $dpi dpi (see e2e-98-dpi-$dpi-tray-icon.png)"
  else
    pass "dpi-$dpi-tray"
  fi

  # The wheel over the taskbar: the meter.
  xdotool mousemove "$((desk_dx + (tb_l + tb_r) / 2))" "$((desk_dy + (tb_t + tb_b) / 2))" click 5 2>>"$log"
  if drv wait-window TVolumeBarForm 3000 visible >/dev/null; then
    sleep 0.5
    read -r w h <<<"$(dpi_window_shot TVolumeBarForm "$shots/e2e-98-dpi-$dpi-meter.png")"
    read -r want_w want_h <<<"$(dpi_size "$dpi_golden_dir/meter-bottom.png")"
    want_w=$(((want_w * f + 50) / 100)) want_h=$(((want_h * f + 50) / 100))
    if dpi_near "${w:-0}" "$want_w" && dpi_near "${h:-0}" "$want_h"; then
      pass "dpi-$dpi-meter"
    else
      fail "dpi-$dpi-meter" "the meter is ${w:-?}x${h:-?}, not about ${want_w}x$want_h"
    fi
  else
    fail "dpi-$dpi-meter" "the wheel over the taskbar showed no meter"
  fi
  xdotool mousemove 300 300 2>>"$log"

  if open_settings; then
    sleep 0.8
    read -r w h <<<"$(dpi_window_shot "$S" "$shots/e2e-98-dpi-$dpi-settings.png")"
    want_w=$(((502 * f + 50) / 100)) want_h=$(((584 * f + 50) / 100))
    if [ "${w:-0}" = "$want_w" ] && [ "${h:-0}" = "$want_h" ]; then
      pass "dpi-$dpi-settings"
    else
      fail "dpi-$dpi-settings" "the settings window is ${w:-?}x${h:-?}, not ${want_w}x$want_h"
    fi
    drv post-close "$S" >/dev/null
  else
    fail "dpi-$dpi-settings" "a double click on the tray icon opened no settings window"
  fi
  stop_app
}

# dpi_desktop <dpi> <screen>: the environment again with the prefix kept.
dpi_desktop() {
  stop_app
  # The run's own X server is started anew for the new screen size.
  unset DISPLAY
  export VOLMARU_WINE_DPI=$1 VOLMARU_SCREEN=$2
  wine_env_start --reuse >/dev/null || return 1
  xdotool mousemove 300 300 2>>"$log"
  find_tray_area || return 1
  icon_w=$(drv system-metric 49)
  set_windows_version default
}

S=${S:-TVolumeChangeSetteiForm}
if [ ! -f "$dpi_golden_exe" ]; then
  fail dpi "$dpi_golden_exe is missing (it is built with VOLMARU_TESTS)"
else
  for dpi_run in "144 2880x1620 150" "192 3840x2160 200"; do
    read -r dpi screen factor <<<"$dpi_run"
    if ! dpi_desktop "$dpi" "$screen"; then
      fail "dpi-$dpi" "the desktop did not start at $dpi dpi on $screen (see $VOLMARU_WINE_ROOT/wine-env.log)"
      continue
    fi
    dpi_pictures "$dpi" "$factor"
    dpi_program "$dpi" "$factor"
  done
  dpi_desktop 96 1920x1080 || fail dpi-back "the 96-dpi desktop did not come back"
fi
