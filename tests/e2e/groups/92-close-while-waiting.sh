# === close while waiting for the taskbar ======================================
# In a desktop whose taskbar stays hidden the program waits before it can put
# its icon into the tray. A close request (a log-off, another tool) must still
# end it.

rm -f "$settei"
setsid wine explorer /desktop=waiting,800x600 "$exe" </dev/null >>"$log" 2>&1 &
waiting_pid=$!
helper_pids+=("$waiting_pid")
drvw() { wine "$driver" --desktop waiting "$@" 2>>"$log"; }
for ((i = 0; i < 100; i++)); do
  xdotool search --name '^waiting - Wine desktop$' >/dev/null 2>&1 && break
  sleep 0.1
done
found=0
for ((i = 0; i < 150; i++)); do
  drvw find-window TVolumeChangeForm >/dev/null && { found=1; break; }
  sleep 0.1
done
sleep 1
still_waiting=$(drvw tray-icon TVolumeChangeForm 1)
drvw post-close TVolumeChangeForm >/dev/null
ended=0
for ((i = 0; i < 50; i++)); do
  drvw process-exists Volmaru.exe >/dev/null || { ended=1; break; }
  sleep 0.1
done
if [ "$found" != 1 ]; then
  fail close-while-waiting "the program's main window did not come up in the waiting desktop"
elif [ "$still_waiting" != absent ]; then
  fail close-while-waiting "the program had an icon already ($still_waiting): it was not waiting"
elif [ "$ended" != 1 ]; then
  fail close-while-waiting "the program still runs 5 s after WM_CLOSE"
  drvw wait-process-exit Volmaru.exe 100 >/dev/null
else
  pass close-while-waiting
fi
# The desktop's explorer ends once its last program is gone; make sure.
end_mine "$waiting_pid" desktop=waiting
