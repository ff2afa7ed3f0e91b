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

