# === shell commands, version window, release ==================================
# The tray menu's shell commands (startup shortcut, volume mixer, restart),
# the version window with its remembered size, and the release ZIP unzipped
# into a fresh prefix, where the help opens from a folder with a blank.

[ -n "${icon_w:-}" ] || icon_w=$(drv system-metric 49)
[ -n "$tray_geom" ] || find_tray_area

# menu_item <segment> <index> <shot>: opens the menu and clicks item <index>
# of text segment <segment> (counted from the top, or -N from the bottom, so
# rows the device list adds in the middle do not matter). 1 when the item
# is not found.
menu_item() {
  local seg=$1 idx=$2 name=$3 l t r b layout n row
  open_menu "$name" || return 1
  read -r l t r b <<<"$menu_rect"
  # The pointer leaves the icon, so the icon's tooltip cannot cover the menu.
  xdotool mousemove "$((desk_dx + l - 60))" "$((desk_dy + t + 10))"
  sleep 0.4
  shot "$name"
  layout=$(menu_layout "$shots/$name.png" "$l" "$t" "$r" "$b")
  n=$(wc -w <<<"${layout%%|*}")
  [ "$seg" -lt 0 ] && seg=$((n + seg))
  row=$(band_centre "${layout#*|}" "$seg" "$idx")
  if [ -z "$row" ]; then
    close_menu
    return 1
  fi
  click_menu_row "$row" "$name-hover"
}

# wait_box <timeout-ms>: waits for the program's message box (caption
# "ボルマル"); sets box_hwnd and box_text (its control texts, "|"-joined).
box_hwnd= box_text=
wait_box() {
  local rec
  box_hwnd= box_text=
  rec=$(drv wait-titled '#32770' 'ボルマル' "${1:-5000}") || return 1
  box_hwnd=$(field hwnd "$rec")
  box_text=$(drv children "$box_hwnd" | sed -n 's/.*\ttitle=//p' | tr '\n' '|')
}
# OK on the box (IDOK), then wait until it is gone.
close_box() {
  local i
  [ -n "$box_hwnd" ] || return 0
  drv post-message "$box_hwnd" 0x111 1 0 >/dev/null
  for ((i = 0; i < 30; i++)); do
    drv find-window '#32770' 'ボルマル' >/dev/null || return 0
    sleep 0.1
  done
}

# settei_value <section> <key>: the value in Settei.ini (code page 932).
settei_value() {
  iconv -f CP932 -t UTF-8 "$settei" 2>/dev/null | tr -d '\r' |
    awk -v s="[$1]" -v k="$2" '/^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}

rm -f "$settei"
set_windows_version default
startup_dir=$(winepath -u "$(drv special-folder 7)" 2>>"$log")
link="$startup_dir/ボルマル.lnk"
rm -f "$link"
xdotool mousemove 300 300

if ! start_app; then
  for c in startup-register startup-remove mixer-message version-window version-size restart; do
    fail "$c" "the program did not start"
  done
else
  # --- スタートアップに登録(&U), then スタートアップから削除(&U) -----------------
  if ! menu_item 0 0 e2e-80-menu-startup; then
    fail startup-register "no first menu row"
  elif ! wait_box 5000; then
    fail startup-register "no message box after スタートアップに登録(&U)"
  else
    shot e2e-80-startup-registered
    close_box
    if [[ "$box_text" != *"スタートアップに登録しました。"* ]]; then
      fail startup-register "the box says '$box_text'"
    elif [ ! -f "$link" ]; then
      fail startup-register "no ボルマル.lnk in $startup_dir: $(ls "$startup_dir" 2>&1 | tr '\n' ' ')"
    else
      pass startup-register
    fi
  fi
  if ! menu_item 0 0 e2e-80-menu-startup-again; then
    fail startup-remove "no first menu row"
  elif ! wait_box 5000; then
    fail startup-remove "no message box after スタートアップから削除(&U)"
  else
    close_box
    if [[ "$box_text" != *"スタートアップから削除しました。"* ]]; then
      fail startup-remove "the box says '$box_text'"
    elif [ -e "$link" ]; then
      fail startup-remove "ボルマル.lnk is still in $startup_dir"
    else
      pass startup-remove
    fi
  fi

  # --- 「音量ミキサー」を開く(&A): Wine has no SndVol.exe -----------------------
  if ! menu_item -3 1 e2e-80-menu-mixer; then
    fail mixer-message "no mixer row in the third segment from the end"
  elif ! wait_box 8000; then
    fail mixer-message "no message box after 「音量ミキサー」を開く(&A)"
  else
    shot e2e-80-mixer-message
    close_box
    if [[ "$box_text" == *"「音量ミキサー」の表示に失敗しました。(1)"* ]]; then
      pass mixer-message
    else
      fail mixer-message "the box says '$box_text'"
    fi
  fi

  # --- バージョン情報(&V) --------------------------------------------------------
  version_rec=
  if menu_item -2 1 e2e-80-menu-about; then
    version_rec=$(drv wait-window TLoudnessDialVersionForm 5000 visible)
  fi
  if [ -z "$version_rec" ]; then
    fail version-window "no visible TLoudnessDialVersionForm after バージョン情報(&V)"
  else
    sleep 0.5
    shot e2e-80-version
    read -r vl vt vr vb <<<"$(field rect "$version_rec" | tr ',' ' ')"
    crop e2e-80-version-window e2e-80-version "$((vr - vl))x$((vb - vt))+$((desk_dx + vl))+$((desk_dy + vt))"
    texts=$(drv children TLoudnessDialVersionForm | sed -n 's/.*\ttitle=//p' | tr '\n' '|')
    lime=$(colour_pixels "$shots/e2e-80-version-window.png" '#00ff00' 5%)
    fuchsia=$(colour_pixels "$shots/e2e-80-version-window.png" '#ff00ff' 5%)
    if [ "$(field title "$version_rec")" != "ボルマルのバージョン情報" ]; then
      fail version-window "title '$(field title "$version_rec")'"
    elif [ "$texts" != "ボルマル|ご自由にお使いください|Ver 2.64  |https://volmaru.example.jp/|" ]; then
      fail version-window "texts '$texts'"
    elif ! [ "${lime:-0}" -gt 20000 ] || ! [ "${fuchsia:-0}" -gt 300 ]; then
      fail version-window "the picture has $lime lime and $fuchsia fuchsia pixels (see e2e-80-version-window.png)"
    else
      pass version-window
    fi
    # A size the user gives it is written when it closes.
    drv set-window-size TLoudnessDialVersionForm 480 200 >/dev/null
    sleep 0.3
    shot e2e-80-version-resized
    drv post-close TLoudnessDialVersionForm >/dev/null
    drv wait-window-hidden TLoudnessDialVersionForm 3000 >/dev/null
    sleep 0.3
  fi
  w_written=$(settei_value VersionForm Width)
  h_written=$(settei_value VersionForm Height)
  stop_app
  start_app
  next_rec=$(drv find-window TLoudnessDialVersionForm)
  read -r nl nt nr nb <<<"$(field rect "$next_rec" | tr ',' ' ')"
  if [ -z "$version_rec" ]; then
    fail version-size "no version window"
  elif [ "$w_written/$h_written" != 480/200 ]; then
    fail version-size "[VersionForm] Width/Height written on close: '$w_written/$h_written'"
  elif [ "$((nr - nl))x$((nb - nt))" != 480x200 ]; then
    fail version-size "after a new start the window is $((nr - nl))x$((nb - nt)) ($next_rec)"
  else
    pass version-size
  fi

  # --- ボルマルの再起動(&R) -------------------------------------------------------
  old_winpid=$app_winpid
  old_pid=$app_pid
  new_winpid=
  ended=0
  if menu_item -1 0 e2e-80-menu-restart; then
    start_ms=$(date +%s%3N)
    for ((i = 0; i < 100; i++)); do
      if [ "$ended" = 0 ] && ! _wenv_alive "$old_pid"; then ended=1; fi
      rec=$(drv find-window TVolumeChangeForm) && p=$(field pid "$rec") &&
        [ -n "$p" ] && [ "$p" != "$old_winpid" ] && drv tray-icon TVolumeChangeForm 1 >/dev/null &&
        { new_winpid=$p; break; }
      sleep 0.1
    done
    restart_ms=$(($(date +%s%3N) - start_ms))
    echo "run-e2e: restart took ${restart_ms} ms" >>"$log"
    for ((i = 0; i < 30 && ended == 0; i++)); do
      _wenv_alive "$old_pid" || ended=1
      sleep 0.1
    done
    shot e2e-80-restarted
  fi
  restarters=$(drv process-exists RestartLoudDial.exe)
  if [ -z "$new_winpid" ]; then
    fail restart "no new TVolumeChangeForm with its tray icon within 10 s (old process ended: $ended)"
  elif [ "$ended" != 1 ]; then
    fail restart "the first Volmaru.exe still runs"
  elif [ -n "$restarters" ]; then
    fail restart "RestartLoudDial.exe did not end (pid $restarters)"
  else
    pass restart
    app_pid=
  fi
  # The new instance is not a child of this script: it ends by WM_CLOSE.
  drv post-close TVolumeChangeForm >/dev/null
  drv wait-process-exit Volmaru.exe 10000 >/dev/null
fi
stop_app
rm -f "$link"

# --- help through an association FindExecutable cannot name ----------------------
# Windows 11 associates .txt with the Store Notepad, which has no command
# line: FindExecutable finds nothing (31). The test build stands in for that
# answer; the shell's "open" of the file must still show it.
wine reg add 'HKCR\.txt' /ve /d txtfile /f >>"$log" 2>&1
app_exe_name=VolmaruTest.exe
export VOLMARU_TEST_NO_FIND_EXECUTABLE=1
start_app "$test_exe"
help_started=$?
unset VOLMARU_TEST_NO_FIND_EXECUTABLE
notepad=
if [ "$help_started" = 0 ] && menu_item -2 0 e2e-80-menu-help-store; then
  notepad=$(drv wait-window Notepad 10000 visible)
fi
[ -n "$notepad" ] && sleep 0.5 && shot e2e-80-help-store
if [ "$help_started" != 0 ]; then
  fail help-without-find-executable "VolmaruTest.exe did not start"
elif wait_box 500; then
  fail help-without-find-executable "the program says '$box_text'"
  close_box
elif [[ "$(field title "$notepad")" != *ReadMe.txt* ]]; then
  fail help-without-find-executable "no Notepad window with ReadMe.txt ('$notepad')"
else
  pass help-without-find-executable
fi
[ -n "$notepad" ] && drv post-close Notepad >/dev/null
stop_app
wine reg delete 'HKCR\.txt' /f >>"$log" 2>&1

# --- the release ZIP in a fresh prefix ------------------------------------------
zip_file=$("$repo/tools/package.sh" --from "$build" --out "$work/dist" 2>>"$log")
want_list=$'Volmaru/\nVolmaru/Data/\nVolmaru/Data/Hand.cur\nVolmaru/Data/mute.ico\nVolmaru/Data/speaker2.ico\nVolmaru/ReadMe.txt\nVolmaru/RestartLoudDial.exe\nVolmaru/Volmaru.exe'
have_list=$(unzip -Z1 "$zip_file" 2>>"$log" | LC_ALL=C sort)
if [ -z "$zip_file" ] || [ ! -f "$zip_file" ]; then
  fail zip-contents "tools/package.sh made no ZIP (see $log)"
elif [ "$have_list" != "$want_list" ]; then
  fail zip-contents "the ZIP holds: $(tr '\n' ' ' <<<"$have_list")"
else
  pass zip-contents
fi

# A second environment of its own (Xvfb, prefix, desktop); its results come
# back as PASS/FAIL lines.
zip_results=$work/zip-results
: >"$zip_results"
if [ -f "$zip_file" ]; then
  (
    export VOLMARU_WINE_ROOT=$VOLMARU_WINE_ROOT-zip
    unset DISPLAY
    app_pid=
    desktop_x=
    log=$VOLMARU_WINE_ROOT/e2e.log
    trap 'end_mine "$app_pid"; wine_env_stop >/dev/null 2>&1' EXIT
    say() { echo "$1" >>"$zip_results"; }
    if ! wine_env_start >/dev/null 2>&1; then
      say "FAIL zip-starts: the fresh Wine environment did not start (see $VOLMARU_WINE_ROOT/wine-env.log)"
      exit 0
    fi
    mkdir -p "$(dirname "$log")"
    : >"$log"
    find_tray_area
    unzip -q "$zip_file" -d "$WINEPREFIX/drive_c/Program Files"
    # Windows maps ".txt" to Notepad; a fresh Wine prefix does not.
    wine reg add 'HKCR\.txt' /ve /d txtfile /f >>"$log" 2>&1
    xdotool mousemove 300 300
    if ! start_app 'C:\Program Files\Volmaru\Volmaru.exe'; then
      shot e2e-80-zip-failed
      say "FAIL zip-starts: no tray icon of the unzipped program (see $log)"
      exit 0
    fi
    sleep 1
    shot e2e-80-zip-running
    say "PASS zip-starts"
    # Help from "C:\Program Files\Volmaru": a folder with a blank.
    notepad=
    if menu_item -2 0 e2e-80-zip-menu-help; then
      notepad=$(drv wait-window Notepad 10000 visible)
    fi
    if [ -n "$notepad" ]; then
      sleep 0.5
      shot e2e-80-zip-help
    fi
    if wait_box 500; then
      say "FAIL zip-help: the program says '$box_text'"
      close_box
    elif [[ "$(field title "$notepad")" != *ReadMe.txt* ]]; then
      say "FAIL zip-help: no Notepad window with ReadMe.txt ('$notepad')"
    else
      say "PASS zip-help"
    fi
    [ -n "$notepad" ] && drv post-close Notepad >/dev/null
    stop_app
  )
fi
while IFS= read -r line; do
  case $line in
    PASS\ *) pass "${line#PASS }" ;;
    FAIL\ *) name=${line#FAIL }; fail "${name%%:*}" "${name#*: }" ;;
  esac
done <"$zip_results"
grep -q ' zip-starts' "$zip_results" || fail zip-starts "the ZIP check did not run"
grep -q ' zip-help' "$zip_results" || fail zip-help "the ZIP check did not get as far as the help"
