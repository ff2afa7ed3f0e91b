// The group "再生デバイス" of the schedule page: each working profile may be
// made the default playback device every day at its own time, and no two
// profiles that take part may share a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/device_profile.h"

namespace volmaru::schedule {

inline constexpr std::string_view kDeviceTimeTakenMessage =
    "他のデバイスの変更時刻がその時刻に設定されています。\r\n別の時刻に設定してください。";
inline constexpr std::string_view kDeviceScheduleNote =
    "毎日指定した時間に既定の再生デバイスを指定した再生デバイスに変更します。";

// What the group shows for one profile: the switch and the time, hour and
// minute with two digits each.
struct DeviceScheduleView {
  bool change = false;
  std::string hour;
  std::string minute;
  bool operator==(const DeviceScheduleView&) const = default;
};
DeviceScheduleView ShowDeviceSchedule(const TDefDeviceTrayIconData& profile);

// Whether another profile than `selected` takes part at the time `t`.
bool TimeTakenByOther(const std::vector<TDefDeviceTrayIconData>& profiles, int selected, double t);

enum class DeviceScheduleEdit {
  kIgnored,   // nothing stored (invalid time, no device)
  kConflict,  // another device has that time: the message, nothing stored
  kStored,    // stored; the window counts as changed
};

// The switch "このデバイスに変更する" of the selected profile was set or
// cleared. A conflict turns it off again (the profile is stored as not taking
// part).
DeviceScheduleEdit OnDeviceChangeTicked(std::vector<TDefDeviceTrayIconData>& profiles, int selected, bool on);

// A key was released in the hour or minute field: a valid time is stored
// with the switch's state unless another device has it.
DeviceScheduleEdit OnDeviceTimeKeyReleased(std::vector<TDefDeviceTrayIconData>& profiles, int selected,
                                           std::string_view hourText, std::string_view minuteText, bool switchOn);

}  // namespace volmaru::schedule
