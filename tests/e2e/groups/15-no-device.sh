# === no playback device at start-up ===========================================
# An HDMI monitor still off at log-on, headphones not yet plugged in: the
# program says "Error" once, in a box in front of everything, stays in the
# tray and starts up completely once a device is there.

set_windows_version default
rm -f "$settei"
app_exe_name=Volmaru.exe

# (a) Wine without a sound server lists no playback device at all.
PULSE_SERVER=unix:$work/no-sound-server wine "$exe" </dev/null >>"$log" 2>&1 &
app_pid=$!
box=$(wait_msgbox 150)
shot e2e-15-error
icon=$(drv tray-icon TVolumeChangeForm 1)
drv msgbox-click "$app_exe_name" OK >/dev/null
sleep 5
again=$(drv msgbox "$app_exe_name")
if [[ "$box" != *$'\tError'* ]]; then
  fail no-device-error "no \"Error\" box (saw '${box:-nothing}')"
elif [[ "$box" != *topmost* ]]; then
  fail no-device-error "the \"Error\" box is not in front of other programs ($box)"
elif [ -z "$icon" ] || [ "$icon" = absent ]; then
  fail no-device-error "no tray icon while it waits for a device ($icon)"
elif ! _wenv_alive "$app_pid"; then
  fail no-device-error "the program ended after \"Error\""
elif [ -n "$again" ]; then
  fail no-device-error "\"Error\" came again ($again)"
else
  pass no-device-error
fi
stop_app
if drv process-exists Volmaru.exe >/dev/null; then
  fail no-device-close "the program waiting for a device did not end on WM_CLOSE"
  drv wait-process-exit Volmaru.exe 5000 >/dev/null
else
  pass no-device-close
fi

# (b) A device that comes later. Wine lists its devices once per process, so
# the test build holds the device back while a file exists.
app_exe_name=VolmaruTest.exe
holdback=$work/no-device-yet
: >"$holdback"
VOLMARU_TEST_NO_ENDPOINT_WHILE=$(winepath -w "$holdback" 2>>"$log") VOLMARU_MEMORY_ENDPOINT=45 \
  wine "$test_exe" </dev/null >>"$log" 2>&1 &
app_pid=$!
box=$(wait_msgbox 150)
drv msgbox-click "$app_exe_name" OK >/dev/null
sleep 3
meter_early=$(drv find-window TVolumeBarForm)
rm -f "$holdback"
meter_later=
for ((i = 0; i < 60; i++)); do
  meter_later=$(drv find-window TVolumeBarForm) && break
  sleep 0.1
done
tip=
for ((i = 0; i < 30; i++)); do
  tip=$(tray_text_with "音量:") && [ -n "$tip" ] && break
  sleep 0.2
done
shot e2e-15-device-came
if [[ "$box" != *$'\tError'* ]]; then
  fail device-later "no \"Error\" box first (saw '${box:-nothing}')"
elif [ -n "$meter_early" ]; then
  fail device-later "start-up went on without a device ($meter_early)"
elif [ -z "$meter_later" ]; then
  fail device-later "start-up did not complete within 6 s of the device coming"
elif [[ "$tip" != *'音量:45'* ]]; then
  fail device-later "the tray does not show the device's volume ('$tip')"
else
  pass device-later
fi
stop_app
