# === start-up =================================================================

# The application icon as this tray shows it: the driver holds an icon made
# from the program's own .ico file, loaded at the small-icon size.
ref_out=$work/app-icon.out
: >"$ref_out"
drv tray-hold 1500 "$(winepath -w "$repo/resources/volmaru.ico" 2>>"$log")" >"$ref_out" &
ref_pid=$!
for ((i = 0; i < 30; i++)); do grep -q added "$ref_out" && break; sleep 0.1; done
sleep 0.4
shot e2e-0-app-icon
wait "$ref_pid"
sleep 0.5
shot e2e-1-before
start_app
started=$?

# (c) The icon comes, and after the first tick it is the number icon: the
# icon's place differs from the empty tray and from the application icon.
diff_empty=0 diff_app=0
for ((i = 0; i < 30; i++)); do
  shot e2e-2-running
  diff_empty=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-2-running-slot.png")
  diff_app=$(differing_pixels "$shots/e2e-0-app-icon-slot.png" "$shots/e2e-2-running-slot.png")
  [ "${diff_empty:-0}" -ge 40 ] 2>/dev/null && [ "${diff_app:-0}" -ge 40 ] 2>/dev/null && break
  sample_windows
  sleep 0.2
done
app_vs_empty=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-0-app-icon-slot.png")
ico_size=$(identify -format '%wx%h ' "$data_dir/Volume.ico" 2>>"$log")
if ! _wenv_alive "$app_pid"; then
  fail smoke "Volmaru.exe ended right after start (see $log)"
elif [ "$started" != 0 ]; then
  fail smoke "the tray holds no icon 1 of TVolumeChangeForm"
elif ! [ "${app_vs_empty:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the reference application icon did not show in the tray ($app_vs_empty pixels)"
elif ! [ "${diff_empty:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the icon's place looks like the empty tray ($diff_empty pixels differ)"
elif ! [ "${diff_app:-0}" -ge 40 ] 2>/dev/null; then
  fail smoke "the tray still shows the application icon after the first tick ($diff_app pixels differ)"
elif [[ " $ico_size" != *" 32x32 "* ]]; then
  fail smoke "the data folder holds no 32x32 Volume.ico ('$ico_size')"
else
  pass smoke
fi

# (d) Start-up made the data folder in Documents.
if [ "$data_existed" = 1 ]; then
  fail data-folder "$data_dir existed before the program started"
elif [ -d "$data_dir" ]; then
  pass data-folder
else
  fail data-folder "no folder $data_dir (documents: $docs_win)"
fi

# (e) A second start shows the information box and ends; the first runs on.
expected_text=$'「ボルマル」は既に起動しています。\rタスクトレイにスピーカーのアイコンがあることを確認してください。'
second_check() {
  local second box hwnd kids texts buttons icon_at ref_out ref_pid l t icon_diff other_diff i
  wine "$exe" </dev/null >>"$log" 2>&1 &
  second=$!
  helper_pids+=("$second")
  box=
  for ((i = 0; i < 100; i++)); do
    box=$(drv list-windows Volmaru.exe | grep $'\tclass=#32770\t' | grep $'\tvisible=1\t' |
      grep -v $'\tpid='"$app_winpid"$'\t' | head -n1)
    [ -n "$box" ] && break
    _wenv_alive "$second" || break
    sleep 0.1
  done
  if [ -z "$box" ]; then
    fail second-instance-box "no message box of a second Volmaru.exe (alive: $(_wenv_alive "$second" && echo yes || echo no))"
    end_mine "$second"
    return
  fi
  hwnd=$(field hwnd "$box")
  kids=$(drv children "$hwnd")
  texts=$(grep $'\tclass=Static\t' <<<"$kids" | sed 's/.*\ttitle=//' | grep -v '^$')
  buttons=$(grep $'\tclass=Button\t' <<<"$kids" | sed 's/.*\ttitle=//')
  icon_at=$(grep $'\tclass=Static\t' <<<"$kids" | grep $'\ttitle=$' | head -n1)
  shot e2e-3-second-instance
  crop e2e-3-second-instance-box e2e-3-second-instance \
    "$(field rect "$box" | awk -F, -v dx="$desk_dx" -v dy="$desk_dy" '{printf "%dx%d+%d+%d", $3-$1, $4-$2, $1+dx, $2+dy}')"
  # The box's icon next to Windows' own information icon, drawn by the driver.
  icon_diff=unknown other_diff=unknown
  if [ -n "$icon_at" ]; then
    IFS=, read -r l t _ _ <<<"$(field rect "$icon_at")"
    crop e2e-3-box-icon e2e-3-second-instance "32x32+$((desk_dx + l))+$((desk_dy + t))"
    for kind in information warning; do
      ref_out=$work/show-icon.out
      : >"$ref_out"
      drv show-icon 40 40 "$kind" 1500 >"$ref_out" &
      ref_pid=$!
      for ((i = 0; i < 30; i++)); do grep -q ready "$ref_out" && break; sleep 0.1; done
      import -window root "$work/ref.png" 2>>"$log"
      wait "$ref_pid"
      convert "$work/ref.png" -crop "32x32+$((desk_dx + 40))+$((desk_dy + 40))" +repage "$shots/e2e-3-ref-$kind.png"
      if [ "$kind" = information ]; then
        icon_diff=$(differing_pixels "$shots/e2e-3-box-icon.png" "$shots/e2e-3-ref-$kind.png")
      else
        other_diff=$(differing_pixels "$shots/e2e-3-box-icon.png" "$shots/e2e-3-ref-$kind.png")
      fi
    done
  fi
  if [ "$(field title "$box")" != ボルマル ]; then
    fail second-instance-box "caption '$(field title "$box")'"
  elif [ "$texts" != "$expected_text" ]; then
    fail second-instance-box "text '$(tr '\r\n' '|/' <<<"$texts")'"
  elif [ "$buttons" != OK ]; then
    fail second-instance-box "buttons '$(tr '\n' '|' <<<"$buttons")' instead of one OK"
  elif [ "$icon_diff" != 0 ] || [ "$other_diff" = 0 ]; then
    fail second-instance-box "icon differs from the information icon by $icon_diff pixels (from the warning icon by $other_diff)"
  else
    pass second-instance-box
  fi
  # The box holds the second process; OK ends it.
  local waited_alive=0
  sleep 0.5
  _wenv_alive "$second" && waited_alive=1
  drv post-message "$hwnd" 0x0111 1 0 >/dev/null
  for ((i = 0; i < 50; i++)); do
    _wenv_alive "$second" || break
    sleep 0.1
  done
  local pids
  pids=$(drv process-exists Volmaru.exe | tr -d '\r' | tr '\n' ' ')
  if [ "$waited_alive" != 1 ]; then
    fail second-instance-exit "the second process did not wait for the box"
  elif _wenv_alive "$second"; then
    fail second-instance-exit "the second process still runs 5 s after OK"
  elif [ "$pids" != "$app_winpid " ] || ! _wenv_alive "$app_pid"; then
    fail second-instance-exit "Volmaru.exe processes after OK: '$pids' (first: $app_winpid)"
  elif ! drv tray-icon TVolumeChangeForm 1 >/dev/null; then
    fail second-instance-exit "the first instance lost its tray icon"
  elif [ -z "$(volume_text)" ]; then
    fail second-instance-exit "the first instance does not answer"
  else
    pass second-instance-exit
  fi
}
if [ "$started" = 0 ]; then
  second_check
else
  fail second-instance-box "the first instance did not start"
  fail second-instance-exit "the first instance did not start"
fi
sample_windows

# (f) The shell lost the icon and says "TaskbarCreated": the icon comes back,
# with its picture.
if [ "$started" != 0 ]; then
  fail taskbar-created "the program did not start"
elif ! drv tray-delete TVolumeChangeForm 1 >/dev/null; then
  fail taskbar-created "NIM_DELETE of icon 1 failed"
elif drv tray-icon TVolumeChangeForm 1 >/dev/null; then
  fail taskbar-created "the icon is still there after NIM_DELETE"
else
  sleep 0.3
  shot e2e-4-icon-removed
  removed_diff=$(differing_pixels "$shots/e2e-1-before-slot.png" "$shots/e2e-4-icon-removed-slot.png")
  drv post-message TVolumeChangeForm TaskbarCreated 0 0 >/dev/null
  back=0
  for ((i = 0; i < 30; i++)); do
    drv tray-icon TVolumeChangeForm 1 >/dev/null && { back=1; break; }
    sleep 0.1
  done
  # The same number picture as before (the volume did not change).
  same=$(settle_to 15 e2e-4-icon-back slot "$shots/e2e-2-running-slot.png")
  if [ "$back" != 1 ]; then
    fail taskbar-created "no icon 3 s after TaskbarCreated"
  elif [ "$removed_diff" != 0 ]; then
    fail taskbar-created "the icon's place did not empty after NIM_DELETE ($removed_diff pixels)"
  elif [ "$same" != 0 ]; then
    fail taskbar-created "the icon came back with another picture ($same pixels differ from the number icon before)"
  else
    pass taskbar-created
  fi
fi
sample_windows

# (g) WM_CLOSE to the main window ends the program and takes the icon away.
if ! drv post-close TVolumeChangeForm; then
  fail close "no TVolumeChangeForm window to close"
else
  for ((i = 0; i < 100; i++)); do
    _wenv_alive "$app_pid" || break
    sleep 0.1
  done
  left=$(drv process-exists Volmaru.exe)
  diff_px=$(settle_to 25 e2e-5-closed tray "$shots/e2e-1-before-tray.png")
  if _wenv_alive "$app_pid" || [ -n "$left" ]; then
    fail close "Volmaru.exe still runs 10 s after WM_CLOSE"
  elif [ "$diff_px" != 0 ]; then
    fail close "the tray area differs from the empty one by $diff_px pixels"
  else
    pass close
  fi
fi
stop_app

