# === at rest ==================================================================
# A program at rest builds nothing it defers: a few seconds after start the
# settings window and the version window exist, hidden, without a single
# control (rest-nothing-built). A double click on the tray icon opens the
# settings with all its pages (rest-settings-on-opening), and closing it
# leaves the pages built for the next time.

set_windows_version default
rm -rf "$data_dir"
xdotool mousemove 300 300
if ! start_app; then
  fail rest-nothing-built "the program did not start"
  fail rest-settings-on-opening "the program did not start"
else
  sleep 3
  settei_rec=$(drv find-window TVolumeChangeSetteiForm)
  version_rec=$(drv find-window TLoudnessDialVersionForm)
  settei_children=$(drv children TVolumeChangeSetteiForm | grep -c . || true)
  version_children=$(drv children TLoudnessDialVersionForm | grep -c . || true)
  if [ -z "$settei_rec" ] || [ -z "$version_rec" ]; then
    fail rest-nothing-built "the hidden windows are missing (settings '$settei_rec', version '$version_rec')"
  elif [ "$settei_children" != 0 ] || [ "$version_children" != 0 ]; then
    fail rest-nothing-built "controls at rest: $settei_children in the settings window, $version_children in the version window"
  else
    pass rest-nothing-built
  fi
  [ -n "$icon_w" ] || icon_w=$(drv system-metric 49)
  [ -n "$tray_geom" ] || find_tray_area
  if open_settings; then
    sleep 0.5
    opened=$(drv children TVolumeChangeSetteiForm | grep -c . || true)
    ok_text=$(drv children TVolumeChangeSetteiForm | grep -c $'\ttitle=OK$' || true)
    drv post-close TVolumeChangeSetteiForm >/dev/null
    sleep 0.5
    if [ "$opened" -gt 100 ] && [ "$ok_text" -ge 1 ]; then
      pass rest-settings-on-opening
    else
      fail rest-settings-on-opening "the opened settings window has $opened controls (OK buttons: $ok_text)"
    fi
  else
    fail rest-settings-on-opening "a double click on the tray icon opened no settings window"
  fi
  stop_app
fi
