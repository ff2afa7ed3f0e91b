// UpdateTrayIcon: draws the number with the current colours and base
// picture, saves it as "Volume.ico" in the data folder and shows it in slot
// 0 of the tray icon.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "devices/device_profile.h"
#include "settings/settings_store.h"
#include "tray/tray_icon_win.h"

namespace volmaru::tray {

struct TrayIconContext {
  std::string exeFolder;       // with a trailing "\"
  std::string dataFolder;      // with a trailing "\"
  HICON deviceIcon = nullptr;  // the default device's icon, if known
  bool useDefAudioDeviceIcon = false;
  bool changeIconColorByDevice = false;
  const std::vector<TDefDeviceTrayIconData>* profiles = nullptr;
  std::string defaultDeviceName;
  settings::IconColours global;
};

// Returns whether a new icon was made. `iconUpdating` is set while it runs.
bool UpdateTrayIcon(int number, const TrayIconContext& ctx, TrayIcon* trayIcon, bool& iconUpdating);

}  // namespace volmaru::tray
