# === keys, mute and wheel on the mixer path ===================================

# Windows XP version: the mixer volume, which Wine can change (set again here
# so that the group also runs on its own).
set_windows_version winxp
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

# (j2) "TaskbarCreated" while the icon is still in the tray: the shell refuses
# the second add, yet the icon must keep following the volume.
if [ "$keys_started" != 1 ]; then
  fail taskbar-created-existing "the program or its meter did not start"
else
  shot e2e-8b-at-97
  drv post-message TVolumeChangeForm TaskbarCreated 0 0 >/dev/null
  sleep 0.5
  chord Left
  v=$(wait_volume 94 20)
  followed=0
  for ((i = 0; i < 20; i++)); do
    shot e2e-8b-at-94
    d=$(differing_pixels "$shots/e2e-8b-at-97-slot.png" "$shots/e2e-8b-at-94-slot.png")
    [ "${d:-0}" -ge 8 ] 2>/dev/null && { followed=1; break; }
    sleep 0.2
  done
  if [ "$v" != 94 ]; then
    fail taskbar-created-existing "the volume went to '$v' (want 94)"
  elif ! drv tray-icon TVolumeChangeForm 1 >/dev/null; then
    fail taskbar-created-existing "the icon is gone after TaskbarCreated"
  elif [ "$followed" != 1 ]; then
    fail taskbar-created-existing "the tray picture stayed at 97 after the volume went to 94 (${d:-?} pixels differ)"
  else
    pass taskbar-created-existing
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
  red0=$(meter_red_pixels "$shots/e2e-9-meter-50.png" "$m_l" "$m_t")
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
  red1=$(meter_red_pixels "$shots/e2e-10-meter-muted.png" "$m_l" "$m_t")
  green1=$(green_pixels "$shots/e2e-10-meter-muted.png")
  red2=$(meter_red_pixels "$shots/e2e-11-meter-muted-again.png" "$m_l" "$m_t")
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
  red3=$(meter_red_pixels "$shots/e2e-12-meter-unmuted.png" "$m_l" "$m_t")
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

# (n) A middle click on the taskbar mutes (the timer sees the button held over
# the taskbar); held for half a second it toggles once; a second click after
# more than a second unmutes; a middle click away from the taskbar does
# nothing.
middle_click() {  # middle_click <x> <y> <seconds held>
  xdotool mousemove "$((desk_dx + $1))" "$((desk_dy + $2))"
  sleep 0.2
  xdotool mousedown 2
  sleep "$3"
  xdotool mouseup 2
  sleep 0.4
}
if [ "$keys_started" != 1 ]; then
  fail middle-click-taskbar "the program did not start"
else
  middle_click 300 300 0.3
  shot e2e-13-middle-elsewhere
  crop e2e-13-meter-middle-elsewhere e2e-13-middle-elsewhere "$meter_geom"
  red_else=$(meter_red_pixels "$shots/e2e-13-meter-middle-elsewhere.png" "$m_l" "$m_t")
  middle_click 700 $(((tb_t + tb_b) / 2)) 0.5
  shot e2e-14-middle-muted
  crop e2e-14-meter-middle-muted e2e-14-middle-muted "$meter_geom"
  red_muted=$(meter_red_pixels "$shots/e2e-14-meter-middle-muted.png" "$m_l" "$m_t")
  sleep 1.2
  middle_click 700 $(((tb_t + tb_b) / 2)) 0.3
  sleep 0.3
  shot e2e-15-middle-unmuted
  crop e2e-15-meter-middle-unmuted e2e-15-middle-unmuted "$meter_geom"
  red_unmuted=$(meter_red_pixels "$shots/e2e-15-meter-middle-unmuted.png" "$m_l" "$m_t")
  if [ "$red_else" != 0 ]; then
    fail middle-click-taskbar "a middle click away from the taskbar muted (red pixels $red_else)"
  elif ! [ "${red_muted:-0}" -ge 200 ] 2>/dev/null; then
    fail middle-click-taskbar "a middle click held 0.5 s on the taskbar did not mute, or toggled twice (red pixels $red_muted)"
  elif [ "$red_unmuted" != 0 ]; then
    fail middle-click-taskbar "a second middle click after more than 1 s did not unmute (red pixels $red_unmuted)"
  else
    pass middle-click-taskbar
  fi
fi


# (o) Every further monitor has a taskbar of its own ("Shell_SecondaryTrayWnd",
# a stand-in window of that class here): the wheel over it changes the
# volume and the window gets nothing, the wheel beside it does not, and a
# middle click on it mutes.
if [ "$keys_started" != 1 ]; then
  fail second-taskbar "the program did not start"
else
  second_out=$work/second-taskbar.out
  : >"$second_out"
  drv taskbar-window 600 200 400 40 9000 >"$second_out" &
  second_pid=$!
  for ((i = 0; i < 40; i++)); do grep -q ready "$second_out" && break; sleep 0.1; done
  s0=$(volume_text)
  xdotool mousemove "$((desk_dx + 800))" "$((desk_dy + 220))"
  sleep 0.3
  xdotool click 5
  s1=$(wait_volume $((s0 - 3)) 20)
  xdotool mousemove "$((desk_dx + 800))" "$((desk_dy + 320))"
  sleep 0.3
  xdotool click 5
  sleep 0.5
  s2=$(volume_text)
  middle_click 800 220 0.4
  shot e2e-16-second-taskbar-muted
  crop e2e-16-meter-second-muted e2e-16-second-taskbar-muted "$meter_geom"
  red_second=$(meter_red_pixels "$shots/e2e-16-meter-second-muted.png" "$m_l" "$m_t")
  sleep 1.2
  middle_click 800 220 0.3
  kill "$second_pid" 2>/dev/null
  wait "$second_pid" 2>/dev/null
  second_wheel=$(tr -d '\r' <"$second_out" | tr '\n' ' ')
  if [[ "$second_wheel" != *ready* ]]; then
    fail second-taskbar "the stand-in taskbar did not come up ($second_wheel)"
  elif [ "$s1" != $((s0 - 3)) ]; then
    fail second-taskbar "one notch down over the second taskbar: $s0 -> $s1 (want $((s0 - 3)))"
  elif [ "$s2" != "$s1" ]; then
    fail second-taskbar "a notch beside the second taskbar changed the volume $s1 -> $s2"
  elif ! [ "${red_second:-0}" -ge 200 ] 2>/dev/null; then
    fail second-taskbar "a middle click on the second taskbar did not mute (red pixels $red_second)"
  else
    pass second-taskbar
  fi
fi

stop_app

