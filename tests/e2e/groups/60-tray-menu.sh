# === tray menu ================================================================
# The menu is read from screenshots (Wine cannot read another process's
# menu): separator lines and text rows give the item positions (helpers in
# lib.sh). The mixer path (Windows XP version), where the volume can change.

set_windows_version winxp
rm -f "$settei"
xdotool mousemove 300 300
if ! start_app || [ "$(wait_volume 100 30)" != 100 ]; then
  fail menu-layout "the program did not start"
  fail menu-no-change-by-key "the program did not start"
  fail menu-end "the program did not start"
else
  # Keys work before the switch.
  chord Left
  v_before=$(wait_volume 97 20)
  layout=
  if open_menu e2e-13-menu; then
    read -r l t r b <<<"$menu_rect"
    crop e2e-13-menu-crop e2e-13-menu "$((r - l))x$((b - t))+$((desk_dx + l))+$((desk_dy + t))"
    layout=$(menu_layout "$shots/e2e-13-menu.png" $l $t $r $b)
  fi
  segments=${layout%%|*}
  bands=${layout#*|}
  if [ -z "$layout" ]; then
    fail menu-layout "no menu window (#32768) after a right click on the icon"
  elif [ "$segments" != "2 3 2 1 1 2 2 2 " ]; then
    fail menu-layout "text rows between separators: '$segments' (want 2 3 2 1 1 2 2 2)"
  else
    pass menu-layout
  fi
  n_row=$(band_centre "$bands" 1 0)
  n_first=$(tr ' ' '\n' <<<"$bands" | awk -F'[:-]' '$1 == 1 { print $2 "-" $3; exit }')
  if [ -z "$layout" ] || [ -z "$n_row" ]; then
    fail menu-no-change-by-key "no item row for キーボード操作では音量変更しない"
    close_menu
  else
    mark_before=$(check_mark_pixels "$shots/e2e-13-menu.png" "${n_first%-*}" "${n_first#*-}")
    click_menu_row "$n_row" e2e-14-menu-hover-n
    hl=0
    row_highlighted "$shots/e2e-14-menu-hover-n.png" "${n_first%-*}" "${n_first#*-}" && hl=1
    file_has=0
    for ((i = 0; i < 30; i++)); do
      iconv -f CP932 -t UTF-8 "$settei" 2>/dev/null | tr -d '\r' |
        awk '/^\[/ { s = $0 } s == "[NoChangeByKey]" && $0 == "Value=1" { f = 1 } END { exit !f }' &&
        { file_has=1; break; }
      sleep 0.1
    done
    chord Left
    sleep 0.8
    v_after=$(volume_text)
    # The item now carries a check mark (the menu stays open for the end).
    mark_after=x
    menu_again=0
    if open_menu e2e-15-menu-checked; then
      menu_again=1
      mark_after=$(check_mark_pixels "$shots/e2e-15-menu-checked.png" "${n_first%-*}" "${n_first#*-}")
    fi
    if [ "$v_before" != 97 ]; then
      fail menu-no-change-by-key "無変換+Left did not work before the switch ($v_before)"
    elif [ "$hl" != 1 ]; then
      fail menu-no-change-by-key "the pointer at menu row $n_row did not highlight the item rows $n_first"
    elif [ "$file_has" != 1 ]; then
      fail menu-no-change-by-key "Settei.ini has no [NoChangeByKey] Value=1: $(iconv -f CP932 -t UTF-8 "$settei" 2>&1 | tr '\r\n' ' ')"
    elif [ "$v_after" != 97 ]; then
      fail menu-no-change-by-key "無変換+Left still changes the volume: 97 -> $v_after"
    elif [ "$mark_before" != 0 ] || ! [ "$mark_after" -gt 5 ] 2>/dev/null; then
      fail menu-no-change-by-key "check-mark pixels $mark_before before, $mark_after after"
    else
      pass menu-no-change-by-key
    fi
  fi
  # ボルマルの終了(&E): the last item, in the menu opened again above.
  e_row=
  if [ "${menu_again:-0}" = 1 ] || open_menu e2e-15-menu-checked; then
    read -r l t r b <<<"$menu_rect"
    layout=$(menu_layout "$shots/e2e-15-menu-checked.png" $l $t $r $b)
    e_row=$(band_centre "${layout#*|}" 7 last)
  fi
  if [ -z "$e_row" ]; then
    fail menu-end "no last item row in the menu (${layout:-no menu})"
    close_menu
  else
    click_menu_row "$e_row" e2e-16-menu-hover-end
    ended=0
    for ((i = 0; i < 50; i++)); do
      _wenv_alive "$app_pid" || { ended=1; break; }
      sleep 0.1
    done
    diff_px=$(settle_to 15 e2e-17-after-end tray "$shots/e2e-1-before-tray.png")
    if [ "$ended" != 1 ]; then
      fail menu-end "Volmaru.exe still runs 5 s after ボルマルの終了"
    elif [ "$diff_px" != 0 ]; then
      fail menu-end "the tray still differs from the empty one by $diff_px pixels"
    else
      pass menu-end
      app_pid=
    fi
  fi
fi
stop_app

