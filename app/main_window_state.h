// The run-time state of the hidden main window. Everything starts as zero,
// false or empty; time stamps are timeGetTime milliseconds (0 = nothing
// pending) compared with unsigned arithmetic, so the 49.7-day wrap is
// harmless.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/device_profile.h"
#include "schedule/schedule_runtime.h"
#include "settings/volume_schedule.h"
#include "settings/settings_store.h"

namespace volmaru::app {

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct MainWindowState {
  std::string ExeFolder;            // with a trailing "\"
  std::string DataFolder;           // with a trailing "\"
  std::string StartupShortcutPath;  // "" when none
  bool UseEndpointVolume = false;
  bool StartupComplete = false;

  // Loaded from the settings file at start-up.
  settings::KeyboardSettings Keyboard;
  bool WheelReverse = false;
  int VolumeChangeWaitTime = 0;
  int TrayIconWaitTime = 500;
  settings::IconColours IconColours;
  std::vector<TDefDeviceTrayIconData> DeviceProfiles;
  bool ScheduleUse = false;  // the schedule is in force
  ScheduleTable Schedule{};
  // The bands at run time, with their applied marks; the daily device
  // switch's memory of a failure.
  schedule::ScheduleRuntime ScheduleRuntime;
  schedule::DeviceScheduleState DeviceSchedule;

  // Volume and mute.
  int MixerVolume = 0;
  float EndpointScalar = 0.0f;
  int LastVolume = 0;
  uint8_t MixerMute = 0;
  int32_t EndpointMute = 0;
  bool IsMuted = false;
  bool VolumeReadOk = false;
  bool VolumeSetOk = false;
  bool MuteReadOk = false;
  bool MuteToggleOk = false;
  bool MixerNotifying = false;

  // Input rate limits and guard.
  uint32_t LastVolumeStepAt = 0;
  uint32_t LastMuteToggleAt = 0;
  bool WheelBusy = false;

  uint32_t MeterShownAt = 0;
  uint32_t ResumedAt = 0;
  uint32_t TrayClickedAt = 0;
  uint32_t TrayPointedAt = 0;
  Point TrayPointPos;
  uint32_t DeviceListRefreshedAt = 0;

  std::string DefaultDeviceName;
  DeviceIconRef DefaultDeviceIcon;
  bool IconUpdating = false;
  // Playback devices in the platform's order (the endpoint path only).
  // Endpoint IDs and names stay UTF-8 here; the settings file holds names in
  // code page 932.
  std::vector<std::string> DeviceIDs;
  std::vector<std::string> DeviceNames;
  // Item i is the device DeviceIDs[i]; an enumeration that stopped early
  // leaves fewer items than devices.
  std::vector<DeviceMenuItem> DeviceMenuItems;
  // Indexes into DeviceMenuItems of the items now in the popup menu, in
  // menu order directly after "既定の再生デバイス".
  std::vector<size_t> InsertedDeviceItems;
  // A switch of the program's own runs (the menu's, the daily schedule's,
  // the spoken check's): the system's notice of the new default is its
  // own doing, and the switch binds the volume again itself.
  int OwnDeviceSwitches = 0;
  // The system's notice of a new default device (or of the bound one gone)
  // waits for the follow, which comes once for a burst of notices.
  bool DeviceFollowPending = false;
};

// The resume-from-sleep notice: only an automatic resume is stamped.
inline constexpr unsigned kPbtApmResumeAutomatic = 18;
inline void OnPowerBroadcast(MainWindowState& s, unsigned event, uint32_t now) {
  if (event == kPbtApmResumeAutomatic) s.ResumedAt = now;
}

}  // namespace volmaru::app
