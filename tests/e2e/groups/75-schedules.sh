# === schedules and the spoken check ===========================================
# The endpoint path with VolmaruTest.exe keeping the endpoint volume in memory
# (VOLMARU_MEMORY_ENDPOINT=60: Wine's own endpoint volume cannot be set), the
# policy-configuration stand-in of the devices group and, in the first run,
# the speech stand-in "AquesTalkDa.dll" beside the program:
#   - a band of today's weekday starting at the coming minute (offset -20 on
#     the default device's normal volume 60): the meter shows 40 and the
#     tooltip reads "音量:40" within the first seconds of that minute;
#   - the daily device switch of the other device a minute later: the
#     stand-in's log shows the three roles for it and the tooltip names it;
#   - the band "確認" of the settings window: the speech stand-in's log holds
#     exactly the phrase for the computed volume, in code page 932, and the
#     volume returns;
# then, in a second run without any speech library, the same "確認" shows
# "確認音声をしゃべるのに失敗しました。", the volume returns and the program
# runs on; and in a third run, the schedule switched on in the settings
# window while no band is active sets the normal volume as OK closes it.

set_windows_version default
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /f >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultVoiceOutput /f >>"$log" 2>&1
sched_standin=$build/PolicyConfigStandIn.dll
sched_policy_log=$work/schedule-policy.log
rm -f "$sched_policy_log"
VOLMARU_POLICY_LOG=$(winepath -w "$sched_policy_log" 2>>"$log")
speech_log=$work/speech.log
rm -f "$speech_log"
VOLMARU_SPEECH_LOG=$(winepath -w "$speech_log" 2>>"$log")
export VOLMARU_POLICY_LOG VOLMARU_SPEECH_LOG VOLMARU_MEMORY_ENDPOINT=60
wine regsvr32 /s "$(winepath -w "$sched_standin" 2>>"$log")" >>"$log" 2>&1

# The default endpoint and another one.
sched_endpoints=$(drv endpoints)
sched_default=$(awk -F'\t' '$4 == 1 { print $3; exit }' <<<"$sched_endpoints")
sched_other_id=$(awk -F'\t' '$4 != 1 { print $2; exit }' <<<"$sched_endpoints")
sched_other=$(awk -F'\t' '$4 != 1 { print $3; exit }' <<<"$sched_endpoints")

# "1899/12/30 H:MM:00" for the minute <n> minutes from now.
minute_text() { date -d "+$1 min" '+1899/12/30 %-H:%M:00'; }
# Sleeps until the wall clock is <seconds> into the minute that starts at
# epoch second <start>.
sleep_until() { local d=$(($1 - $(date +%s))); [ "$d" -gt 0 ] && sleep "$d"; }
# band_check <run>: the settings window's band "確認" of band 1 of "毎日".
band_check() {
  open_settings || return 1
  drv tab-select "$S" 3 >/dev/null
  sleep 0.5
  drv ctl-click "$S" 559 >/dev/null  # band 1's "確認"
}

# Today's band starts at the coming minute (one more when it is nearly over,
# so that the program is up before it); the device switch follows a minute
# later. Band 1 of every day lies twelve hours away and only serves "確認".
[ "$(date +%-S)" -lt 40 ] && lead=1 || lead=2
band_start=$(( ($(date +%s) / 60 + lead) * 60 ))
weekday_group=$(($(date -d "@$band_start" +%w) + 1))
write_settei "[Icon]
DeviceIconDataCount=2
[DeviceIconData0]
DeviceName=$sched_default
NormalVolume=60
[DeviceIconData1]
DeviceName=$sched_other
NormalVolume=50
IsScheduleChange=1
ScheduleChangeTime=$(minute_text $((lead + 1)))
[Schedule]
Use=1
StartTime1=$(minute_text $((lead + 720)))
EndTime1=$(minute_text $((lead + 721)))
Volume1=-20
[Schedule$weekday_group]
StartTime0=$(minute_text "$lead")
EndTime0=$(minute_text $((lead + 10)))
Volume0=-20
"
cp "$build/standins/AquesTalkDa.dll" "$build/AquesTalkDa.dll"
app_exe_name=VolmaruTest.exe
xdotool mousemove 300 300
if ! start_app "$test_exe"; then
  for c in schedule-band schedule-device speech-check; do fail "$c" "the program did not start"; done
else
  # (a) The band at its minute.
  sleep_until $((band_start + 5))
  band_volume=$(wait_volume 40 60)
  shot e2e-75-band
  band_tip=$(tray_text_with '音量:')
  if [ "$band_volume" != 40 ]; then
    fail schedule-band "the meter's box reads '$band_volume' 5 s into the band's minute (want 40)"
  elif [[ "$band_tip" != '音量:40\r'* ]]; then
    fail schedule-band "the tooltip reads '$band_tip' (want 音量:40)"
  else
    pass schedule-band
  fi

  # (b) The device switch a minute later.
  sleep_until $((band_start + 60 + 5))
  switched=0
  for ((i = 0; i < 50; i++)); do
    [ "$(grep -c "^$sched_other_id"$'\t' "$sched_policy_log" 2>/dev/null)" -ge 3 ] && { switched=1; break; }
    sleep 0.2
  done
  roles=$(awk -F'\t' -v id="$sched_other_id" '$1 == id { printf "%s ", $2 }' "$sched_policy_log" 2>/dev/null)
  device_tip=$(tray_text_with "既定の再生デバイス:")
  if [ -z "$sched_other" ]; then
    fail schedule-device "Wine lists no second playback device ($sched_endpoints)"
  elif [ "$switched" != 1 ] || [ "${roles:0:6}" != "0 1 2 " ]; then
    fail schedule-device "the switching stand-in logged roles '$roles' for $sched_other_id (want 0 1 2)"
  elif [[ "$device_tip" != *"既定の再生デバイス:\\r\\n $sched_other"* ]]; then
    fail schedule-device "the tooltip does not name $sched_other: '$device_tip'"
  else
    pass schedule-device
  fi

  # (c) "確認" with the speech stand-in: the default device is now the other
  # one (normal volume 50), the band's offset -20: the phrase says 30.
  chord 7
  before=$(wait_volume 70 30)
  : >"$speech_log"
  band_check
  sleep 1.5
  after=$(tray_text_with '音量:')
  phrase=$(iconv -f CP932 -t UTF-8 "$speech_log" 2>>"$log" | tr -d '\r')
  if [ "$before" != 70 ]; then
    fail speech-check "無変換+7 gave $before (want 70)"
  elif [ "$phrase" != $'おんりょ\'う/<NUMK VAL=30>です。\t100' ]; then
    fail speech-check "the speech library was given '$phrase' (want おんりょ'う/<NUMK VAL=30>です。 at speed 100)"
  elif [[ "$after" != '音量:70\r'* ]]; then
    fail speech-check "the tooltip reads '$after' after the check (want 音量:70 again)"
  else
    pass speech-check
  fi
  drv ctl-click "$S" 2 >/dev/null  # キャンセル
fi
stop_app
rm -f "$build/AquesTalkDa.dll"

# (d) No speech library at all (Wine's system voice cannot speak): the
# failure message, the volume back, the program still there. No band is
# active and the normal volume is the one set by hand, so the schedule's
# own first evaluation changes nothing.
write_settei "[Icon]
DeviceIconDataCount=2
[DeviceIconData0]
DeviceName=$sched_default
NormalVolume=70
[DeviceIconData1]
DeviceName=$sched_other
NormalVolume=70
[Schedule]
Use=1
StartTime1=$(minute_text 720)
EndTime1=$(minute_text 721)
Volume1=-20
"
if ! start_app "$test_exe"; then
  fail speech-check-failure "the program did not start"
else
  chord 7
  before=$(wait_volume 70 30)
  band_check
  box=$(wait_msgbox 60)
  shot e2e-75-speech-failed
  drv msgbox-click "$app_exe_name" OK >/dev/null
  sleep 0.5
  after=$(tray_text_with '音量:')
  if [[ "$box" != *"確認音声をしゃべるのに失敗しました。"* ]]; then
    fail speech-check-failure "no failure message (saw '${box:-nothing}')"
  elif [ "$before" != 70 ] || [[ "$after" != '音量:70\r'* ]]; then
    fail speech-check-failure "the volume went $before -> '$after' (want 70 back)"
  elif ! _wenv_alive "$app_pid"; then
    fail speech-check-failure "the program ended"
  else
    pass speech-check-failure
  fi
  drv ctl-click "$S" 2 >/dev/null
fi
stop_app

# (e) The schedule switched on in the settings window while no band is
# active: OK sets the default device's normal volume at once. The timer
# would only do it in the first 10 s of a minute, so OK is pressed between
# 12 and 40 s into one and the volume is read before that minute ends. The
# program starts at 80 with the schedule off; the other device has a normal
# volume of its own, so a volume taken from the wrong device shows as well.
switch_endpoints=$(drv endpoints)
switch_default=$(awk -F'\t' '$4 == 1 { print $3; exit }' <<<"$switch_endpoints")
switch_other=$(awk -F'\t' '$4 != 1 { print $3; exit }' <<<"$switch_endpoints")
write_settei "[Icon]
DeviceIconDataCount=2
[DeviceIconData0]
DeviceName=$switch_default
NormalVolume=35
[DeviceIconData1]
DeviceName=$switch_other
NormalVolume=55
[Schedule]
Use=0
StartTime1=$(minute_text 720)
EndTime1=$(minute_text 721)
Volume1=-20
"
# Milliseconds of the wall clock.
now_ms() { echo $(($(date +%s%N) / 1000000)); }
VOLMARU_MEMORY_ENDPOINT=80
if ! start_app "$test_exe"; then
  fail schedule-switched-on "the program did not start"
else
  start_tip=$(tray_text_with '音量:')
  switch=
  if open_settings; then
    drv tab-select "$S" 3 >/dev/null
    for ((i = 0; i < 30; i++)); do
      switch=$(drv ctl "$S" 500)
      [ "$(field visible "$switch")" = 1 ] && break
      sleep 0.1
    done
  fi
  if [[ "$start_tip" != '音量:80\r'* ]]; then
    fail schedule-switched-on "the tooltip reads '$start_tip' before the settings window (want 音量:80)"
  elif [ "$(field text "$switch")" != "時間帯によって音量を変える" ] || [ "$(field visible "$switch")" != 1 ] ||
    [ "$(field checked "$switch")" != 0 ]; then
    fail schedule-switched-on "no unticked schedule switch on the schedule page ('$switch')"
  else
    drv ctl-click "$S" 500 >/dev/null
    for ((i = 0; i < 30; i++)); do
      [ "$(field checked "$(drv ctl "$S" 500)")" = 1 ] && break
      sleep 0.1
    done
    second=$(date +%-S)
    if [ "$second" -lt 12 ]; then
      sleep $((12 - second))
    elif [ "$second" -gt 40 ]; then
      sleep $((72 - second))
    fi
    ok_minute=$(date +%H:%M)
    drv ctl-click "$S" 1 >/dev/null # OK
    drv wait-window-hidden "$S" 5000 >/dev/null
    deadline=$(($(now_ms) + 2000))
    while :; do
      on_volume=$(volume_text)
      [ "$on_volume" = 35 ] || [ "$(now_ms)" -ge "$deadline" ] && break
      sleep 0.1
    done
    read_minute=$(date +%H:%M)
    shot e2e-75-schedule-switched-on
    switched_tip=$(tray_text_with '音量:')
    if [ "$on_volume" != 35 ]; then
      fail schedule-switched-on "the meter's box reads '$on_volume' 2 s after OK (want the normal volume 35 at once)"
    elif [ "$read_minute" != "$ok_minute" ]; then
      fail schedule-switched-on "read at $read_minute after OK at $ok_minute: the minute's timer may have set it"
    elif [[ "$switched_tip" != '音量:35\r'* ]]; then
      fail schedule-switched-on "the tooltip reads '$switched_tip' after OK (want 音量:35)"
    else
      pass schedule-switched-on
    fi
  fi
  # Still open when a check failed before OK.
  drv wait-window "$S" 200 visible >/dev/null && drv ctl-click "$S" 2 >/dev/null # キャンセル
fi
stop_app
wine regsvr32 /u /s "$(winepath -w "$sched_standin" 2>>"$log")" >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /f >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultVoiceOutput /f >>"$log" 2>&1
unset VOLMARU_POLICY_LOG VOLMARU_SPEECH_LOG VOLMARU_MEMORY_ENDPOINT
