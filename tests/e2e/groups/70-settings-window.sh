# === settings window ==========================================================
# The window "ボルマル の設定" driven through its own controls: the driver
# finds each control by its id (settings/window/settei_layout.h), sets texts, clicks
# buttons, turns pages and reads message boxes.

icon_w=${icon_w:-$(drv system-metric 49)}
# Control ids (settings/window/settei_layout.h; tests/settings/window/settei_layout_test.cpp
# pins them).
ID_OK=1 ID_CANCEL=2
ID_EDIT_SHOWTIME=208 ID_CHECK_POINTING=225
ID_EDIT_STEP=421 ID_EDIT_UP_KEY=412 ID_LABEL_UP_CODE=413 ID_BTN_UP_CHANGE=414
ID_CHECK_SCHEDULE=500 ID_BAND0_START_HOUR=540 ID_BAND0_LABEL=548 ID_COMBO_SCHEDULE_DEVICE=583

settei_utf8() { iconv -f CP932 -t UTF-8 "$settei" 2>/dev/null | tr -d '\r'; }
# ini_value <section> <key>: the value in Settei.ini, empty when missing.
ini_value() {
  settei_utf8 | awk -v s="[$1]" -v k="$2" '/^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}
# settings_shot <name>: the window alone as a picture.
settings_shot() {
  local rect l t r b
  rect=$(field rect "$(drv find-window "$S")")
  IFS=, read -r l t r b <<<"$rect"
  import -window root "$shots/$1-full.png" 2>>"$log"
  convert "$shots/$1-full.png" -crop "$((r - l))x$((b - t))+$((desk_dx + l))+$((desk_dy + t))" +repage \
    "$shots/$1.png" 2>>"$log"
  rm -f "$shots/$1-full.png"
}
ctl_field() { field "$1" "$(drv ctl "$S" "$2")"; }
# settings_key <xdotool key>: a key typed into the settings window. Each
# top-level window of the program has an X window of its own inside the
# desktop: the keys go there, not to the desktop window (`keys` would only
# reach the hooks).
settings_key() {
  local x
  x=$(xdotool search --name '^ボルマル の設定$' 2>>"$log" | head -n1)
  [ -n "$x" ] && xdotool windowfocus "$x" 2>>"$log"
  xdotool key "$1" 2>>"$log"
}

# --- the endpoint path (Windows 7): every page, the schedule page usable -------
set_windows_version default
# Two device profiles and an every-day band across midnight.
write_settei $'[Icon]\nDeviceIconDataCount=2\n[DeviceIconData0]\nDeviceName=Speakers\nNormalVolume=40\n'\
$'[DeviceIconData1]\nDeviceName=HDMI\nIsScheduleChange=1\nScheduleChangeTime=1899/12/30 7:30:00\n'\
$'[Schedule]\nUse=1\nStartTime0=1899/12/30 22:00:00\nEndTime0=1899/12/30 6:00:00\nVolume0=-30\n'
app_exe_name=Volmaru.exe
xdotool mousemove 300 300
if ! start_app; then
  fail settings-open "the program did not start"
  fail settings-endpoint-schedule "the program did not start"
else
  if open_settings; then
    rec=$(drv find-window "$S")
    title=$(field title "$rec")
    IFS=, read -r l t r b <<<"$(field rect "$rec")"
    sleep 0.5
    for p in 0 1 2 3 4; do
      drv tab-select "$S" "$p" >/dev/null
      sleep 0.4
      settings_shot "e2e-70-page$p"
    done
    sched=$(drv ctl "$S" "$ID_CHECK_SCHEDULE")
    band_hour=$(drv ctl-text "$S" "$ID_BAND0_START_HOUR")
    band_label=$(drv ctl-text "$S" "$ID_BAND0_LABEL")
    # The device list of the daily change, dropped down.
    drv tab-select "$S" 3 >/dev/null
    IFS=, read -r cl ct cr cb <<<"$(ctl_field rect "$ID_COMBO_SCHEDULE_DEVICE")"
    xdotool mousemove "$((desk_dx + cr - 8))" "$((desk_dy + (ct + cb) / 2))" click 1
    sleep 0.5
    import -window root "$shots/e2e-70-device-list.png" 2>>"$log"
    xdotool key Escape
    sleep 0.2
    drv ctl-click "$S" "$ID_CANCEL" >/dev/null
    drv wait-window-hidden "$S" 3000 >/dev/null
    if [ "$title" != "ボルマル の設定" ]; then
      fail settings-open "caption '$title'"
    elif [ "$((r - l))x$((b - t))" != 502x584 ]; then
      fail settings-open "size $((r - l))x$((b - t)), not 502x584"
    else
      pass settings-open
    fi
    if [ "$(field enabled "$sched")" != 1 ] || [ "$(field checked "$sched")" != 1 ]; then
      fail settings-endpoint-schedule "the schedule switch: $sched"
    elif [ "$band_hour" != 22 ] || [ "$band_label" != -30 ]; then
      fail settings-endpoint-schedule "band 0 shows start hour '$band_hour', offset label '$band_label' (want 22, -30)"
    else
      pass settings-endpoint-schedule
    fi
  else
    fail settings-open "no visible $S after a double click on the tray icon"
    fail settings-endpoint-schedule "no settings window"
  fi
fi
stop_app

# --- the mixer path (Windows XP): values, messages, key capture, close query ---
set_windows_version winxp
# A meter that stays up shows the volume in its set-volume box.
write_settei $'[VolumeBar]\nShowTime=30\n'
xdotool mousemove 300 300
if ! start_app || [ "$(wait_volume 100 30)" != 100 ]; then
  for c in settings-mixer-schedule-disabled settings-step-refused settings-step-saved settings-key-capture \
    settings-close-question; do
    fail "$c" "the program did not start"
  done
else
  # The schedule page is there, and disabled.
  if open_settings; then
    drv tab-select "$S" 3 >/dev/null
    sleep 0.4
    settings_shot e2e-70-mixer-page3
    sched=$(drv ctl "$S" "$ID_CHECK_SCHEDULE")
    if [ "$(field enabled "$sched")" = 0 ] && [ "$(field visible "$sched")" = 1 ]; then
      pass settings-mixer-schedule-disabled
    else
      fail settings-mixer-schedule-disabled "the schedule switch: $sched"
    fi

    # Step 101: the message, the window stays, nothing is written.
    drv tab-select "$S" 2 >/dev/null
    before=$(md5sum <"$settei")
    drv ctl-set-text "$S" "$ID_EDIT_STEP" 101 >/dev/null
    drv ctl-click "$S" "$ID_OK" >/dev/null
    box=$(wait_msgbox)
    sleep 0.3
    settings_shot e2e-70-step-refused
    import -window root "$shots/e2e-70-step-refused-screen.png" 2>>"$log"
    drv msgbox-click "$app_exe_name" OK >/dev/null
    sleep 0.3
    if [[ "$box" != *"「1回押したときの変化量」は1～100を半角で入力してください。"* ]]; then
      fail settings-step-refused "message box: '${box:-none}'"
    elif [ "$(md5sum <"$settei")" != "$before" ]; then
      fail settings-step-refused "Settei.ini changed: $(settei_utf8 | tr '\n' ' ')"
    elif [ "$(field visible "$(drv find-window "$S")")" != 1 ]; then
      fail settings-step-refused "the window closed"
    else
      pass settings-step-refused
    fi

    # Step 5, OK: written, and the chord now raises by 5.
    drv ctl-set-text "$S" "$ID_EDIT_STEP" 5 >/dev/null
    drv ctl-click "$S" "$ID_OK" >/dev/null
    drv wait-window-hidden "$S" 3000 >/dev/null
    chord 5
    v50=$(wait_volume 50 20)
    chord Right
    v55=$(wait_volume 55 20)
    if [ "$(ini_value KeyBoad VolumeChangeValue)" != 5 ]; then
      fail settings-step-saved "[KeyBoad] VolumeChangeValue is '$(ini_value KeyBoad VolumeChangeValue)'"
    elif [ "$v50" != 50 ] || [ "$v55" != 55 ]; then
      fail settings-step-saved "無変換+5 then 無変換+→ gave $v50 then $v55 (want 50, 55)"
    else
      pass settings-step-saved
    fi
  else
    fail settings-mixer-schedule-disabled "no settings window"
    fail settings-step-refused "no settings window"
    fail settings-step-saved "no settings window"
  fi

  # Key capture: "変更" of volume up, Home, "確定", OK.
  if open_settings; then
    drv tab-select "$S" 2 >/dev/null
    drv ctl-click "$S" "$ID_BTN_UP_CHANGE" >/dev/null
    sleep 0.3
    caption=$(drv ctl-text "$S" "$ID_BTN_UP_CHANGE")
    ok_enabled=$(ctl_field enabled "$ID_OK")
    settings_key Home
    sleep 0.4
    settings_shot e2e-70-key-captured
    code=$(drv ctl-text "$S" "$ID_LABEL_UP_CODE")
    name=$(drv ctl-text "$S" "$ID_EDIT_UP_KEY")
    drv ctl-click "$S" "$ID_BTN_UP_CHANGE" >/dev/null
    sleep 0.3
    caption2=$(drv ctl-text "$S" "$ID_BTN_UP_CHANGE")
    drv ctl-click "$S" "$ID_OK" >/dev/null
    drv wait-window-hidden "$S" 3000 >/dev/null
    v0=$(volume_text)
    chord Home
    v1=$(wait_volume $((v0 + 5)) 20)
    chord Right
    sleep 0.6
    v2=$(volume_text)
    if [ "$caption" != 確定 ] || [ "$ok_enabled" != 0 ]; then
      fail settings-key-capture "after 変更: caption '$caption', OK enabled $ok_enabled (want 確定, 0)"
    elif [ "$code" != 36 ]; then
      fail settings-key-capture "the code label shows '$code' after Home (name '$name')"
    elif [ "$caption2" != 変更 ]; then
      fail settings-key-capture "after 確定 the caption is '$caption2'"
    elif [ "$(ini_value KeyBoad VolumeUpKeyCode)" != 36 ]; then
      fail settings-key-capture "[KeyBoad] VolumeUpKeyCode is '$(ini_value KeyBoad VolumeUpKeyCode)'"
    elif [ "$v1" != $((v0 + 5)) ]; then
      fail settings-key-capture "無変換+Home: $v0 -> $v1 (want $((v0 + 5)))"
    elif [ "$v2" != "$v1" ]; then
      fail settings-key-capture "無変換+→ still changes the volume: $v1 -> $v2"
    else
      pass settings-key-capture
      echo "run-e2e: Home is named '$name'" >>"$log"
    fi
  else
    fail settings-key-capture "no settings window"
  fi

  # The close button after a change asks; "いいえ" brings the file's values
  # back.
  if open_settings; then
    before=$(md5sum <"$settei")
    drv tab-select "$S" 2 >/dev/null
    drv ctl-set-text "$S" "$ID_EDIT_STEP" 9 >/dev/null
    drv tab-select "$S" 0 >/dev/null
    drv ctl-click "$S" "$ID_CHECK_POINTING" >/dev/null
    sleep 0.2
    pointing_changed=$(ctl_field checked "$ID_CHECK_POINTING")
    drv post-close "$S" >/dev/null
    box=$(wait_msgbox)
    sleep 0.3
    import -window root "$shots/e2e-70-close-question.png" 2>>"$log"
    drv msgbox-click "$app_exe_name" いいえ >/dev/null
    drv wait-window-hidden "$S" 3000 >/dev/null
    hidden=$?
    reopened=0
    open_settings && reopened=1
    step_now=$(drv ctl-text "$S" "$ID_EDIT_STEP")
    pointing_now=$(ctl_field checked "$ID_CHECK_POINTING")
    drv ctl-click "$S" "$ID_CANCEL" >/dev/null
    drv wait-window-hidden "$S" 3000 >/dev/null
    if [[ "$box" != *"設定が変更されていますが、保存しますか？"* ]]; then
      fail settings-close-question "message box: '${box:-none}'"
    elif [ "$hidden" != 0 ]; then
      fail settings-close-question "the window did not close after いいえ"
    elif [ "$(md5sum <"$settei")" != "$before" ]; then
      fail settings-close-question "Settei.ini changed"
    elif [ "$pointing_changed" != 0 ] || [ "$reopened" != 1 ] || [ "$step_now" != 5 ] || [ "$pointing_now" != 1 ]; then
      fail settings-close-question "pointing box after the click $pointing_changed; reopened $reopened with step '$step_now' and pointing $pointing_now (want 0; 1, 5, 1)"
    else
      pass settings-close-question
    fi
  else
    fail settings-close-question "no settings window"
  fi
fi
stop_app
