# === meter timing and the main key ============================================
# Windows XP version from here on: the mixer volume, which Wine can change.
# ShowTime=4: the meter the first tick shows (volume 100) hides by itself
# about 4 s later; the pointer is far from it. (Each look through the driver
# starts a Wine process, half a second or more on a busy machine: the margin
# of 4 s keeps "still there after 1 s" a statement about the program.) Then, with a window of another
# program in the foreground, the main key alone brings the meter back, in
# front, where an arrow alone changes the volume.

set_windows_version winxp
write_settei $'[VolumeBar]\nShowTime=4\n'
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
    if drv wait-window-hidden TVolumeBarForm 7000 >/dev/null; then hidden_at=$(date +%s%N); fi
  fi
  sample_windows
  if [ -z "$shown_at" ]; then
    fail meter-hides "the meter did not show within 5 s of the icon"
  elif [ "$early_hide" = 1 ]; then
    fail meter-hides "the meter was hidden again within 1 s"
  elif [ -z "$hidden_at" ]; then
    fail meter-hides "the meter is still visible 8 s after it showed (ShowTime=4)"
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

