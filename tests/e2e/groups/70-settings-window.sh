# === settings window ==========================================================
# The window "ボルマル の設定" driven through its own controls: the driver
# finds each control by its id (settings/settei_layout.h), sets texts, clicks
# buttons, turns pages and reads message boxes.

icon_w=${icon_w:-$(drv system-metric 49)}
S=TVolumeChangeSetteiForm
# Control ids (settings/settei_layout.h).
ID_OK=1 ID_CANCEL=2
ID_EDIT_SHOWTIME=207
ID_EDIT_STEP=421 ID_EDIT_UP_KEY=412 ID_LABEL_UP_CODE=413 ID_BTN_UP_CHANGE=414
ID_CHECK_SCHEDULE=500 ID_CHECK_POINTING=232

settei_utf8() { iconv -f CP932 -t UTF-8 "$settei" 2>/dev/null | tr -d '\r'; }
# ini_value <section> <key>: the value in Settei.ini, empty when missing.
ini_value() {
  settei_utf8 | awk -v s="[$1]" -v k="$2" '/^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}
# open_settings: double click on the tray icon; waits for the window.
open_settings() {
  local cx cy
  cx=$((tb_r - (icon_w + 4) / 2)) cy=$(((tb_t + tb_b) / 2))
  xdotool mousemove "$((desk_dx + cx))" "$((desk_dy + cy))" click --repeat 2 --delay 60 1
  drv wait-window "$S" 5000 visible >/dev/null
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
# wait_msgbox [tenths]: prints the first visible message box of the program.
wait_msgbox() {
  local i out
  for ((i = 0; i < ${1:-30}; i++)); do
    out=$(drv msgbox "$app_exe_name") && { echo "$out" | head -n1; return 0; }
    sleep 0.1
  done
  return 1
}
ctl_field() { field "$1" "$(drv ctl "$S" "$2")"; }

# --- the endpoint path (Windows 7): every page, the schedule page usable -------
set_windows_version default
rm -f "$settei"
app_exe_name=Volmaru.exe
xdotool mousemove 300 300
if ! start_app; then
  fail settings-open "the program did not start"
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
    if [ "$title" != "ボルマル の設定" ]; then
      fail settings-open "caption '$title'"
    elif [ "$((r - l))x$((b - t))" != 502x584 ]; then
      fail settings-open "size $((r - l))x$((b - t)), not 502x584"
    else
      pass settings-open
    fi
  else
    fail settings-open "no visible $S after a double click on the tray icon"
  fi
fi
stop_app
