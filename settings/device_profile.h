#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace volmaru {

// A playback device's own picture. The platform layer defines it (an icon
// handle in its owner on Windows); portable code only hands it on. Shared,
// so that copying a list of profiles (the settings window keeps one) is
// cheap and the picture lives as long as any copy still shows it.
struct DeviceIconImage;
using DeviceIconRef = std::shared_ptr<const DeviceIconImage>;

// The settings kept per playback device, tied to the device by its friendly
// name (exact, case-sensitive).
struct TDefDeviceTrayIconData {
  std::string DeviceName;
  uint32_t TextColor = 0xFFFFFF;  // 0x00BBGGRR
  uint32_t BackColor = 0xFF0000;
  // Never stored in the settings file.
  DeviceIconRef DeviceIcon;
  bool IsScheduleChange = false;
  double ScheduleChangeTime = 0.0;  // time of day as a day fraction
  bool IsShowOnMenu = true;
  uint32_t VolumeBarColor = 0x00FF00;
  int32_t NormalVolume = 50;
};

// One device item of the tray menu: a radio item (all device items form
// one group, so checking one unchecks the others) whose tag is the
// device's index in the enumeration.
struct DeviceMenuItem {
  std::string Caption;
  int Tag = 0;
  bool Checked = false;
};

}  // namespace volmaru
