# === the mute text on a vertical meter =========================================
# On a vertical meter (here on the left of the screen) "ミュート" takes the
# number's place beside the bar, not the bar's own column.

set_windows_version winxp
write_settei $'[VolumeBar]\nShowTime=60\nPosition=4\n'
xdotool mousemove 300 300
if ! start_app || ! drv wait-window TVolumeBarForm 5000 visible >/dev/null; then
  fail vertical-mute-text "the program or its meter did not start"
else
  IFS=, read -r v_l v_t v_r v_b <<<"$(field rect "$(drv find-window TVolumeBarForm)")"
  v_w=$((v_r - v_l)) v_h=$((v_b - v_t))
  bar_w=$(((v_w - 25) / 2))  # the bar's column starts at x = 3
  chord Down
  sleep 0.6
  shot e2e-25-vertical-muted
  crop e2e-25-bar-column e2e-25-vertical-muted "$((bar_w + 3))x${v_h}+$((desk_dx + v_l))+$((desk_dy + v_t))"
  crop e2e-25-beside-bar e2e-25-vertical-muted \
    "$((v_w - bar_w - 3))x${v_h}+$((desk_dx + v_l + bar_w + 3))+$((desk_dy + v_t))"
  in_column=$(red_pixels "$shots/e2e-25-bar-column.png")
  beside=$(red_pixels "$shots/e2e-25-beside-bar.png")
  if [ "$v_w" != 142 ]; then
    fail vertical-mute-text "the meter is $v_w pixels wide, not a vertical one (142)"
  elif [ "${in_column:-1}" != 0 ] || ! [ "${beside:-0}" -ge 100 ] 2>/dev/null; then
    fail vertical-mute-text "red pixels in the bar's column $in_column (want 0), beside it $beside (want >= 100)"
  else
    pass vertical-mute-text
  fi
fi
stop_app
