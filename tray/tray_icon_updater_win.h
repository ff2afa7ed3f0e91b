// UpdateTrayIcon: draws the number with the current colours and base
// picture, saves it as "Volume.ico" (always the 32 x 32 design, which other
// programs may read) in the data folder and shows it in slot 0 of the tray
// icon, drawn for the tray's own size.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/device_profile.h"
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
  // The tray's icon size at the taskbar's DPI (16 at 96 dpi): the number is
  // drawn at twice that and reduced, as the 32 x 32 design is at 96 dpi.
  int traySize = 16;
};

// The number's two pictures: the 32 x 32 design (what "Volume.ico" holds)
// and the tray's, drawn at twice `ctx.traySize` and reduced to it.
struct TrayPictures {
  UniqueIcon design;
  std::string designPixels;  // 24-bit bottom-up rows of `design`
  UniqueIcon tray;
};
// Draws both without saving or showing anything; false when the design
// could not be drawn.
bool RenderTrayPictures(int number, const TrayIconContext& ctx, TrayPictures& out);

// Returns whether a new icon was made. `iconUpdating` is set while it runs.
bool UpdateTrayIcon(int number, const TrayIconContext& ctx, TrayIcon* trayIcon, bool& iconUpdating);

}  // namespace volmaru::tray
