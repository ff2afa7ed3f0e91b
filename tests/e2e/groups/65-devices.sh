# === playback devices =========================================================
# The endpoint path (Windows 7 version) with Wine's three endpoints: the
# synthetic default "PulseAudio" and the null sinks "Speakers" and "HDMI".
# PolicyConfigStandIn.dll, registered in the prefix with regsvr32, stands in
# for the system's policy-configuration object: it logs every
# SetDefaultEndpoint call and makes the endpoint Wine's default. Checks: the
# device colours of a settings file written before the start (tray icon and
# meter), the device items under "既定の再生デバイス" with the default checked,
# a switch by clicking an item (the log, the balloon, the icon, the check
# mark, the tooltip), a device hidden by the settings file, the time from the
# right click to the menu, and settings files with broken device counts.

icon_w=${icon_w:-$(drv system-metric 49)}
set_windows_version default
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /f >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultVoiceOutput /f >>"$log" 2>&1
standin=$build/PolicyConfigStandIn.dll
policy_log=$work/policy.log
rm -f "$policy_log"
VOLMARU_POLICY_LOG=$(winepath -w "$policy_log" 2>>"$log")
export VOLMARU_POLICY_LOG
standin_ok=0
if [ -f "$standin" ] && wine regsvr32 /s "$(winepath -w "$standin" 2>>"$log")" >>"$log" 2>&1 &&
  wine reg query 'HKLM\Software\Classes\CLSID\{294935CE-F637-4E7C-A41B-AB255460B862}\InprocServer32' >>"$log" 2>&1; then
  standin_ok=1
fi

# The endpoints as Core Audio lists them to another process: index, ID, name,
# default flag. (Their order is not the same in every process, so menu rows
# are told apart by their check marks, and devices by the switch's log.)
endpoints=$(drv endpoints)
endpoint_name() { awk -F'\t' -v id="$1" '$2 == id { print $3 }' <<<"$endpoints"; }
default_id=$(awk -F'\t' '$4 == 1 { print $2 }' <<<"$endpoints")

# Rows of segment 3 (the heading and the device items) of a menu layout, as
# "first-last" lines; line 1 is the heading.
device_bands() { tr ' ' '\n' <<<"${1#*|}" | awk -F'[:-]' '$1 == 3 { print $2 "-" $3 }'; }
# The device rows (1-based after the heading) that carry a mark in <shot>.
marked_rows() {
  local shot=$1 bands=$2 k=0 band n out=
  while read -r band; do
    if [ "$k" -gt 0 ]; then
      n=$(check_mark_pixels "$shot" "${band%-*}" "${band#*-}")
      [ "${n:-0}" -gt 5 ] && out+="$k "
    fi
    k=$((k + 1))
  done < <(device_bands "$bands")
  echo "$out"
}
# The middle of device row <k> of a layout.
device_row_centre() { device_bands "$1" | sed -n "$(($2 + 1))p" | awk -F- '{ print int(($1 + $2) / 2) }'; }

# Pixels of the tray icon's place near <colour>.
slot_colour() { colour_pixels "$shots/$1-slot.png" "$2" 12%; }

# Per-device colours for the default device, read at start-up: yellow
# number (0x00FFFF) on magenta (0xFF00FF), a cyan meter (0xFFFF00).
settei_colours=$'[VolumeBar]\nColorByIconColor=0\nChangeColorByDevice=1\n[Icon]\nChangeIconColorByDevice=1\nDeviceIconDataCount=1\n[DeviceIconData0]\nDeviceName=PulseAudio\nTextColor=65535\nBackColor=16711935\nVolumeBarColor=16776960\n'
write_settei "$settei_colours"
xdotool mousemove 300 300
if [ "$standin_ok" != 1 ]; then
  fail devices-standin "PolicyConfigStandIn.dll ($standin) could not be registered"
elif [ "$(endpoint_name "$default_id")" != PulseAudio ] || [ "$(wc -l <<<"$endpoints")" != 3 ]; then
  fail devices-standin "Core Audio does not list the three endpoints: '$(tr '\t\n' ' |' <<<"$endpoints")'"
elif ! start_app || [ "$(wait_volume 100 30)" != 100 ]; then
  fail devices-colours "the program did not start on the endpoint path"
else
  pass devices-standin

  # (a) The default device's colours in the tray icon and on the meter.
  meter_rec=$(drv wait-window TVolumeBarForm 5000 visible)
  sleep 1
  shot e2e-65-1-colours
  magenta=$(slot_colour e2e-65-1-colours '#ff00ff')
  yellow=$(slot_colour e2e-65-1-colours '#ffff00')
  blue=$(slot_colour e2e-65-1-colours '#0000ff')
  cyan=0
  if [ -n "$meter_rec" ]; then
    crop e2e-65-1-meter e2e-65-1-colours \
      "$(field rect "$meter_rec" | awk -F, -v dx="$desk_dx" -v dy="$desk_dy" '{printf "%dx%d+%d+%d", $3-$1, $4-$2, $1+dx, $2+dy}')"
    cyan=$(colour_pixels "$shots/e2e-65-1-meter.png" '#00ffff' 10%)
  fi
  if ! [ "${magenta:-0}" -ge 60 ] 2>/dev/null || ! [ "${yellow:-0}" -ge 4 ] 2>/dev/null || [ "${blue:-0}" -gt 2 ]; then
    fail devices-colours "tray icon pixels: magenta $magenta, yellow $yellow, blue $blue (want the device's colours)"
  elif [ -z "$meter_rec" ] || ! [ "${cyan:-0}" -ge 200 ] 2>/dev/null; then
    fail devices-colours "meter: ${meter_rec:+shown}${meter_rec:-not shown}, $cyan cyan pixels (the device's meter colour)"
  else
    pass devices-colours
  fi

  # (b) The device items under the heading, one of them (the default)
  # checked. The pointer rests on the icon: its tooltip may cover the
  # menu's right end, so only the left part is looked at.
  layout=
  if open_menu e2e-65-2-menu; then
    read -r l t r b <<<"$menu_rect"
    layout=$(menu_layout "$shots/e2e-65-2-menu.png" $l $t $r $b 150)
  fi
  marks=$(marked_rows "$shots/e2e-65-2-menu.png" "$layout")
  # Another device's row: the first one without a mark.
  target_row=
  for k in 1 2 3; do [[ " $marks" != *" $k "* ]] && { target_row=$k; break; }; done
  target_centre=$(device_row_centre "$layout" "$target_row")
  if [ -z "$layout" ]; then
    fail devices-menu "no menu after a right click on the icon"
  elif [ "${layout%%|*}" != "2 3 2 4 1 2 2 2 " ]; then
    fail devices-menu "text rows between separators: '${layout%%|*}' (want the heading and three devices: 2 3 2 4 1 2 2 2)"
  elif [ "$(wc -w <<<"$marks")" != 1 ]; then
    fail devices-menu "checked device rows '$marks', want exactly one (the default)"
  else
    pass devices-menu
  fi

  # (c) Clicking another device makes it the default: the three roles for
  # its ID, the balloon names it, the icon drops the old device's colours,
  # the check mark moves to its row.
  target=
  if [ -z "$target_centre" ]; then
    fail devices-switch "no unchecked device row in the menu"
    close_menu
  else
    click_menu_row "$target_centre" e2e-65-3-hover-device
    for ((i = 0; i < 30; i++)); do
      [ "$(cat "$policy_log" 2>/dev/null | wc -l)" -ge 3 ] && break
      sleep 0.1
    done
    calls=$(tr -d '\r' <"$policy_log" 2>/dev/null | tr '\t\n' ' |')
    target_id=$(head -n1 "$policy_log" 2>/dev/null | cut -f1)
    target=$(endpoint_name "$target_id")
    balloon=
    for ((i = 0; i < 30; i++)); do
      balloon=$(drv tooltips | grep -F "既定の再生デバイス:\\r\\n $target" | head -n1)
      [ -n "$balloon" ] && break
      sleep 0.1
    done
    shot e2e-65-4-after-switch
    now_default=$(drv endpoints | awk -F'\t' '$4 == 1 { print $3 }')
    blue_after=$(slot_colour e2e-65-4-after-switch '#0000ff')
    magenta_after=$(slot_colour e2e-65-4-after-switch '#ff00ff')
    marks_after=x
    if open_menu e2e-65-5-menu-after; then
      read -r l t r b <<<"$menu_rect"
      marks_after=$(marked_rows "$shots/e2e-65-5-menu-after.png" \
        "$(menu_layout "$shots/e2e-65-5-menu-after.png" $l $t $r $b 150)")
      close_menu
    fi
    if [ -z "$target" ] || [ "$target_id" = "$default_id" ] ||
      [ "$calls" != "$target_id 0|$target_id 1|$target_id 2|" ]; then
      fail devices-switch "stand-in calls '$calls' (want roles 0, 1, 2 for the ID of another device)"
    elif [ "$now_default" != "$target" ]; then
      fail devices-switch "the default endpoint is '$now_default' after switching to '$target'"
    elif [ -z "$balloon" ]; then
      fail devices-switch "no balloon naming '$target': '$(drv tooltips | tr '\n' '|')'"
    elif ! [ "${blue_after:-0}" -ge 60 ] 2>/dev/null || [ "${magenta_after:-0}" -gt 2 ]; then
      fail devices-switch "tray icon after the switch: blue $blue_after, magenta $magenta_after (want the global colours)"
    elif [ "$marks_after" != "$target_row " ]; then
      fail devices-switch "checked rows after the switch '$marks_after', want $target_row"
    else
      pass devices-switch
    fi
  fi

  # (d) The settings file hides "Speakers": the next opening lists two
  # devices.
  write_settei "${settei_colours/DeviceIconDataCount=1/DeviceIconDataCount=2}"$'[DeviceIconData1]\nDeviceName=Speakers\nIsShowOnMenu=0\n'
  hidden_layout=
  if open_menu e2e-65-6-menu-hidden; then
    read -r l t r b <<<"$menu_rect"
    hidden_layout=$(menu_layout "$shots/e2e-65-6-menu-hidden.png" $l $t $r $b 150)
    close_menu
  fi
  if [ "${hidden_layout%%|*}" != "2 3 2 3 1 2 2 2 " ]; then
    fail devices-hidden "text rows '${hidden_layout%%|*}' (want two devices left: 2 3 2 3 1 2 2 2)"
  else
    pass devices-hidden
  fi

  # (e) From the right click to the menu on screen, 20 times (the devices are
  # listed and the items built at every opening).
  cx=$((tb_r - (icon_w + 4) / 2)) cy=$(((tb_t + tb_b) / 2))
  latencies=()
  watch_out=$work/watch.out
  for ((k = 0; k < 20; k++)); do
    : >"$watch_out"
    drv watch-window '#32768' 5000 >"$watch_out" &
    watch_pid=$!
    for ((i = 0; i < 100; i++)); do grep -q ready "$watch_out" && break; sleep 0.02; done
    xdotool mousemove "$((desk_dx + cx))" "$((desk_dy + cy))"
    t0=$(date +%s%3N)
    xdotool click 3
    wait "$watch_pid"
    shown=$(sed -n 's/^shown //p' "$watch_out" | tr -d '\r')
    [ -n "$shown" ] && latencies+=($((shown - t0)))
    sleep 0.2
    close_menu
    sleep 0.1
  done
  if [ "${#latencies[@]}" != 20 ]; then
    fail devices-menu-timing "the menu came only ${#latencies[@]} of 20 times"
  else
    median=$(printf '%s\n' "${latencies[@]}" | sort -n | awk '{ a[NR] = $1 } END { print (a[10] + a[11]) / 2 }')
    echo "run-e2e: right click to menu on screen, 20 openings: median $median ms, all: ${latencies[*]}" | tee -a "$log" >&2
    pass devices-menu-timing
  fi

  # (f) The tooltip names the new default device.
  tip=
  xdotool mousemove "$((desk_dx + cx))" "$((desk_dy + cy))"
  for ((i = 0; i < 40; i++)); do
    tip=$(drv tooltips | grep -F 'メインキー:' | head -n1)
    [ -n "$tip" ] && break
    sleep 0.1
  done
  shot e2e-65-7-tooltip
  xdotool mousemove 300 300
  if [ -z "$target" ] || [[ "$tip" != *"既定の再生デバイス:\\r\\n $target" ]]; then
    fail devices-tooltip "tooltip '$tip' does not end with the device line for '$target'"
  else
    pass devices-tooltip
  fi
fi
stop_app

# (g) Broken device counts neither crash nor stall the start, and the menu
# still lists the three devices. The file also holds a 1,000-character name
# and bytes that are no code page 932 text.
for count in 2147483647 -5; do
  write_settei $'[Icon]\nDeviceIconDataCount='"$count"$'\n[DeviceIconData0]\nDeviceName='"$(printf 'x%.0s' {1..1000})"$'\n[DeviceIconData1]\nDeviceName=Speakers\nNormalVolume=30\n'
  printf '[DeviceIconData2]\r\nDeviceName=\x81\x20\xff\xa0\x82\r\n' >>"$settei"
  xdotool mousemove 300 300
  started_at=$(date +%s%3N)
  if ! start_app; then
    fail "devices-count-$count" "the program did not start with DeviceIconDataCount=$count"
    stop_app
    continue
  fi
  took=$(($(date +%s%3N) - started_at))
  layout=
  if open_menu "e2e-65-8-menu-count$count"; then
    read -r l t r b <<<"$menu_rect"
    layout=$(menu_layout "$shots/e2e-65-8-menu-count$count.png" $l $t $r $b 150)
    close_menu
  fi
  if ! _wenv_alive "$app_pid"; then
    fail "devices-count-$count" "the program ended after the menu opened"
  elif [ "${layout%%|*}" != "2 3 2 4 1 2 2 2 " ]; then
    fail "devices-count-$count" "menu rows '${layout%%|*}' (want 2 3 2 4 1 2 2 2)"
  else
    pass "devices-count-$count"
    echo "run-e2e: start with DeviceIconDataCount=$count took $took ms" >>"$log"
  fi
  stop_app
done

# (h) Windows makes another device the default by itself: the program
# follows at once (the system's notice), without anyone pointing at the
# tray: the tray icon takes that device's colours, and back again.
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /f >>"$log" 2>&1
pulse_id=$(awk -F'\t' '$3 == "PulseAudio" { print $2 }' <<<"$endpoints")
hdmi_id=$(awk -F'\t' '$3 == "HDMI" { print $2 }' <<<"$endpoints")
# PulseAudio: yellow on magenta; HDMI: green on red.
write_settei "${settei_colours/DeviceIconDataCount=1/DeviceIconDataCount=2}"$'[DeviceIconData1]\nDeviceName=HDMI\nTextColor=65280\nBackColor=255\n'
xdotool mousemove 300 300
# follow_to <endpoint ID> <shot> <colour wanted> <colour gone>: sets the
# default as Windows would and waits up to 6 s for the icon's colours.
follow_to() {
  local i want=0 gone=99
  wine reg add 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /t REG_SZ /d "$1" /f >>"$log" 2>&1
  for ((i = 0; i < 30; i++)); do
    sleep 0.2
    shot "$2"
    want=$(slot_colour "$2" "$3")
    gone=$(slot_colour "$2" "$4")
    [ "${want:-0}" -ge 60 ] 2>/dev/null && [ "${gone:-99}" -le 2 ] 2>/dev/null && break
  done
  follow_seen="$3 $want, $4 $gone"
  [ "${want:-0}" -ge 60 ] 2>/dev/null && [ "${gone:-99}" -le 2 ] 2>/dev/null
}
if [ -z "$pulse_id" ] || [ -z "$hdmi_id" ]; then
  fail devices-follow "no endpoint IDs for PulseAudio and HDMI: '$(tr '\t\n' ' |' <<<"$endpoints")'"
elif ! start_app || [ "$(wait_volume 100 30)" != 100 ]; then
  fail devices-follow "the program did not start on the endpoint path"
else
  sleep 1
  shot e2e-65-9-follow-before
  before=$(slot_colour e2e-65-9-follow-before '#ff00ff')
  if ! [ "${before:-0}" -ge 60 ] 2>/dev/null; then
    fail devices-follow "the icon did not start in PulseAudio's colours (magenta $before)"
  elif ! follow_to "$hdmi_id" e2e-65-9-follow-hdmi '#ff0000' '#ff00ff'; then
    fail devices-follow "within 6 s of HDMI becoming the default the icon shows $follow_seen"
  elif ! follow_to "$pulse_id" e2e-65-9-follow-back '#ff00ff' '#ff0000'; then
    fail devices-follow "within 6 s of PulseAudio becoming the default again the icon shows $follow_seen"
  else
    pass devices-follow
  fi
fi
stop_app

wine regsvr32 /u /s "$(winepath -w "$standin" 2>>"$log")" >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultOutput /f >>"$log" 2>&1
wine reg delete 'HKCU\Software\Wine\Drivers\winepulse.drv' /v DefaultVoiceOutput /f >>"$log" 2>&1
unset VOLMARU_POLICY_LOG
