#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace volmaru {

// The settings kept per playback device, tied to the device by its friendly
// name (exact, case-sensitive).
struct TDefDeviceTrayIconData {
  std::string DeviceName;
  uint32_t TextColor = 0xFFFFFF;  // 0x00BBGGRR
  uint32_t BackColor = 0xFF0000;
  // The device's own icon, owned by the platform layer; never stored in the
  // settings file.
  std::shared_ptr<void> DeviceIcon;
  bool IsScheduleChange = false;
  double ScheduleChangeTime = 0.0;  // time of day as a day fraction
  bool IsShowOnMenu = true;
  uint32_t VolumeBarColor = 0x00FF00;
  int32_t NormalVolume = 50;
};

}  // namespace volmaru
