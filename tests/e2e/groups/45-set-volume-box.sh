# === the meter's set-volume box on the mixer path ==============================
# Windows XP version: the mixer volume, which Wine can change. The meter the
# first tick shows stays up (ShowTime=600). A real click into the box's edit
# field brings the meter to the front; the driver sets the text as typing
# leaves it; Enter, the buttons and the list are used with real keys and
# clicks. The question boxes are read from the outside, the saved list from
# Settei.ini, the volume from the tray icon's tooltip.

set_windows_version winxp
write_settei $'[VolumeBar]\nShowTime=600\n'
icon_w=${icon_w:-$(drv system-metric 49)}
[ -n "$tray_geom" ] || find_tray_area
xdotool mousemove 300 300

# The record of the meter's child of class <class> whose text is <text>.
box_child() { drv children TVolumeBarForm | grep $'\tclass='"$1"$'\t' | grep -F $'\ttitle='"$2" | head -n1; }
# A real left click in the middle of a window record's rectangle, or at
# <dx> <dy> from its top left corner.
click_record() {
  local l t r b x y
  IFS=, read -r l t r b <<<"$(field rect "$1")"
  x=${2:-$(((r - l) / 2))} y=${3:-$(((b - t) / 2))}
  xdotool mousemove "$((desk_dx + l + x))" "$((desk_dy + t + y))" click 1 2>>"$log"
}
# Waits up to 5 s for a visible message box titled <title>; prints its record.
wait_message_box() {
  local i rec
  for ((i = 0; i < 50; i++)); do
    rec=$(drv find-window '#32770' "$1")
    if [ -n "$rec" ] && [ "$(field visible "$rec")" = 1 ]; then
      echo "$rec"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# The message text of a message box record, and its button with a title
# starting with <prefix>.
message_text() { drv children "$(field hwnd "$1")" | grep $'\tclass=Static\t' | sed 's/.*\ttitle=//' | grep -v '^$'; }
message_button() { drv children "$(field hwnd "$1")" | grep $'\tclass=Button\t' | grep -F $'\ttitle='"$2" | head -n1; }
# Answers the message box <record> with its button <prefix> and waits until
# it is gone.
answer() {
  click_record "$(message_button "$1" "$2")"
  drv wait-no-window '#32770' 3000 >/dev/null
}
# [SavedVolume] of Settei.ini as sorted "key=value" words.
saved_section() {
  iconv -f CP932 -t UTF-8 "$settei" 2>>"$log" | tr -d '\r' |
    awk '/^\[/ { s = ($0 == "[SavedVolume]"); next } s && NF' | sort | tr '\n' ' '
}
# The tray icon's tooltip as explorer shows it after the pointer rests on it.
tray_tip() {
  local x=$((desk_dx + tb_r - (icon_w + 4) / 2)) y=$((desk_dy + (tb_t + tb_b) / 2))
  xdotool mousemove "$x" "$y" 2>>"$log"
  sleep 0.3
  xdotool mousemove "$((x + 1))" "$y" 2>>"$log"
  drv tooltip-text 4000
  xdotool mousemove 300 300 2>>"$log"
  sleep 0.3
}
# Clicks into the edit field (the meter comes to the front) and sets <text>.
type_into_box() {
  click_record "$(box_child Edit '')" 10
  sleep 0.3
  drv set-child-text TVolumeBarForm Edit "$1" >/dev/null
}

box_started=0
if start_app && drv wait-window TVolumeBarForm 5000 visible >/dev/null && [ "$(wait_volume 100 30)" = 100 ]; then
  box_started=1
  meter_rect=$(field rect "$(drv find-window TVolumeBarForm)")
  IFS=, read -r m_l m_t m_r m_b <<<"$meter_rect"
  meter_geom="$((m_r - m_l))x$((m_b - m_t))+$((desk_dx + m_l))+$((desk_dy + m_t))"
fi

# (a) 35 typed, Enter: the question with the exact text; Yes saves it (two
# keys) and sets the volume, which the tray tooltip shows.
if [ "$box_started" != 1 ]; then
  fail box-save "the program or its meter did not start"
else
  type_into_box 35
  fg=$(field class "$(drv foreground)")
  keys key Return
  question=$(wait_message_box ボルマル)
  shot e2e-45-1-save-question
  q_text=$(message_text "$question")
  [ -n "$question" ] && answer "$question" はい
  v=$(wait_volume 35 20)
  section=$(saved_section)
  tip=$(tray_tip)
  if [ "$fg" != TVolumeBarForm ]; then
    fail box-save "a click into the edit field left '$fg' in the foreground"
  elif [ -z "$question" ]; then
    fail box-save "no question box titled ボルマル after Enter"
  elif [ "$q_text" != '"35"を音量一覧に登録しますか？' ]; then
    fail box-save "the question reads '$q_text'"
  elif [ "$section" != "0=35 Count=1 " ]; then
    fail box-save "[SavedVolume] holds '$section' (want 0=35 Count=1)"
  elif [[ "$tip" != "音量:35\\n"* ]]; then
    fail box-save "the tray tooltip reads '$tip' (want 音量:35 first)"
  elif [ "$v" != 35 ]; then
    fail box-save "the edit field shows '$v' after the set (want 35)"
  else
    pass box-save
  fi
fi

# (b) 250: the range message (title 情報, information icon), nothing set or
# saved; キャンセル shows the volume, still 35.
if [ "$box_started" != 1 ]; then
  fail box-range "the program did not start"
else
  before=$(saved_section)
  type_into_box 250
  keys key Return
  message=$(wait_message_box 情報)
  shot e2e-45-2-range-message
  m_text=$(message_text "$message")
  icon_diff=unknown
  icon_at=$(drv children "$(field hwnd "$message")" | grep $'\tclass=Static\t' | grep $'\ttitle=$' | head -n1)
  if [ -n "$icon_at" ]; then
    IFS=, read -r l t _ _ <<<"$(field rect "$icon_at")"
    crop e2e-45-2-box-icon e2e-45-2-range-message "32x32+$((desk_dx + l))+$((desk_dy + t))"
    ref_out=$work/show-icon.out
    : >"$ref_out"
    drv show-icon 40 40 information 1500 >"$ref_out" &
    ref_pid=$!
    for ((i = 0; i < 30; i++)); do grep -q ready "$ref_out" && break; sleep 0.1; done
    import -window root "$work/ref.png" 2>>"$log"
    wait "$ref_pid"
    convert "$work/ref.png" -crop "32x32+$((desk_dx + 40))+$((desk_dy + 40))" +repage "$shots/e2e-45-2-ref-information.png"
    icon_diff=$(differing_pixels "$shots/e2e-45-2-box-icon.png" "$shots/e2e-45-2-ref-information.png")
  fi
  [ -n "$message" ] && answer "$message" OK
  kept=$(volume_text)
  click_record "$(box_child Button キャンセル)"
  v=$(wait_volume 35 20)
  tip=$(tray_tip)
  if [ -z "$message" ]; then
    fail box-range "no message box titled 情報 after Enter with 250"
  elif [ "$m_text" != 音量は0から100の間の半角整数を入力してください。 ]; then
    fail box-range "the message reads '$m_text'"
  elif [ "$icon_diff" != 0 ]; then
    fail box-range "the box's icon is not the information icon ($icon_diff pixels differ)"
  elif [ "$kept" != 250 ]; then
    fail box-range "the meter was redrawn after the message (edit '$kept')"
  elif [ "$v" != 35 ] || [[ "$tip" != "音量:35\\n"* ]]; then
    fail box-range "the volume changed: キャンセル shows '$v', the tooltip reads '$tip'"
  elif [ "$(saved_section)" != "$before" ]; then
    fail box-range "[SavedVolume] changed to '$(saved_section)'"
  else
    pass box-range
  fi
fi

# (c) The list opened by its arrow: the box grows behind it, the bar goes;
# picking the saved entry enables 登録削除.
if [ "$box_started" != 1 ]; then
  fail box-list "the program did not start"
else
  combo=$(box_child ComboBox '')
  IFS=, read -r c_l c_t c_r c_b <<<"$(field rect "$combo")"
  click_record "$combo" $((c_r - c_l - 8))
  list=$(drv wait-window ComboLBox 3000 visible)
  sleep 0.4
  shot e2e-45-3-list-open
  crop e2e-45-3-meter-list-open e2e-45-3-list-open "$meter_geom"
  crop e2e-45-3-list e2e-45-3-list-open \
    "$(field rect "$list" | awk -F, -v dx="$desk_dx" -v dy="$desk_dy" '{printf "%dx%d+%d+%d", $3-$1, $4-$2, $1+dx, $2+dy}')"
  # The bar's place right of the box (the number above it is green too).
  crop e2e-45-3-bar-place e2e-45-3-list-open "$((m_r - m_l - 143))x43+$((desk_dx + m_l + 140))+$((desk_dy + m_t + 87))"
  bar_green=$(green_pixels "$shots/e2e-45-3-bar-place.png")
  # Below the closed box (67 high), where the bar was, the grown box is navy.
  read -r _ _ n_r n_g n_b < <(region_pixels "$shots/e2e-45-3-list-open.png" \
    "1x1+$((desk_dx + m_l + 10))+$((desk_dy + m_t + 100))")
  click_record "$list" 12 8
  drv wait-window-hidden ComboLBox 3000 >/dev/null
  sleep 0.3
  shot e2e-45-4-picked
  picked=$(volume_text)
  enabled=$(drv is-enabled "$(field hwnd "$(box_child Button 登録削除)")")
  if [ -z "$list" ]; then
    fail box-list "the arrow did not open the list"
  elif [ "$bar_green" != 0 ]; then
    fail box-list "the bar stays visible while the list is open ($bar_green green pixels)"
  elif ! [ "${n_r:-255}" -lt 40 ] || ! [ "${n_g:-255}" -lt 40 ] || ! [ "${n_b:-0}" -gt 100 ]; then
    fail box-list "the box did not grow behind the list (at 10,100 of the meter: $n_r,$n_g,$n_b, want navy)"
  elif [ "$picked" != 35 ] || [ "$enabled" != 1 ]; then
    fail box-list "after picking: edit '$picked', 登録削除 enabled '$enabled' (want 35, 1)"
  else
    pass box-list
  fi
fi

# (d) 登録削除 with its question; Yes rewrites the section (now empty).
if [ "$box_started" != 1 ]; then
  fail box-delete "the program did not start"
else
  click_record "$(box_child Button 登録削除)"
  question=$(wait_message_box ボルマル)
  shot e2e-45-5-delete-question
  q_text=$(message_text "$question")
  [ -n "$question" ] && answer "$question" はい
  sleep 0.3
  section=$(saved_section)
  enabled=$(drv is-enabled "$(field hwnd "$(box_child Button 登録削除)")")
  if [ -z "$question" ]; then
    fail box-delete "no question box after 登録削除"
  elif [ "$q_text" != '"35"を音量一覧から登録削除しますか？' ]; then
    fail box-delete "the question reads '$q_text'"
  elif [ "$section" != "Count=0 " ]; then
    fail box-delete "[SavedVolume] holds '$section' (want Count=0 only)"
  elif [ "$enabled" != 0 ]; then
    fail box-delete "登録削除 stays enabled"
  else
    pass box-delete
  fi
fi

# (e) Shown again with its box and brought to the front by the main key while
# another program's window is active: "変更" has the focus, although the user
# had left it in the edit field before the meter was hidden.
if [ "$box_started" != 1 ]; then
  fail box-focus "the program did not start"
else
  click_record "$(box_child Edit '')" 10
  sleep 0.3
  focus_before=$(drv focus TVolumeBarForm | head -n1)
  # A left click on the tray icon hides the meter.
  xdotool mousemove "$((desk_dx + tb_r - (icon_w + 4) / 2))" "$((desk_dy + (tb_t + tb_b) / 2))" click 1 2>>"$log"
  hidden=0
  drv wait-window-hidden TVolumeBarForm 3000 >/dev/null && hidden=1
  xdotool mousemove 300 300 2>>"$log"
  fg_out=$work/box-foreground.out
  : >"$fg_out"
  drv wheel-window 100 100 300 200 3000 >"$fg_out" &
  fg_pid=$!
  for ((i = 0; i < 40; i++)); do grep -q ready "$fg_out" && break; sleep 0.1; done
  keys key Muhenkan
  drv wait-window TVolumeBarForm 2000 visible >/dev/null
  sleep 0.4
  fg=$(field class "$(drv foreground)")
  focus=$(drv focus TVolumeBarForm | head -n1)
  shot e2e-45-6-main-key-focus
  wait "$fg_pid"
  if [ "$(field class "$focus_before")" != Edit ]; then
    fail box-focus "a click into the edit field left the focus on '$(field class "$focus_before") $(field title "$focus_before")'"
  elif [ "$hidden" != 1 ]; then
    fail box-focus "a left click on the tray icon did not hide the meter"
  elif [[ "$(cat "$fg_out")" != *"foreground=1"* ]]; then
    fail box-focus "the other window did not take the foreground"
  elif [ "$fg" != TVolumeBarForm ]; then
    fail box-focus "the main key left '$fg' in the foreground"
  elif [ "$(field class "$focus")" != Button ] || [ "$(field title "$focus")" != 変更 ]; then
    fail box-focus "the focus is on '$(field class "$focus") $(field title "$focus")', not 変更"
  else
    pass box-focus
  fi
fi

stop_app
