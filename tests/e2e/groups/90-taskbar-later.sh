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
