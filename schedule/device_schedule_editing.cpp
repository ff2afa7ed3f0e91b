#include "schedule/device_schedule_editing.h"

#include "schedule/schedule_editing.h"

namespace volmaru::schedule {
namespace {

std::string TwoDigits(int v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

bool Valid(const std::vector<TDefDeviceTrayIconData>& profiles, int selected) {
  return selected >= 0 && selected < static_cast<int>(profiles.size());
}

}  // namespace

DeviceScheduleView ShowDeviceSchedule(const TDefDeviceTrayIconData& profile) {
  const HourMinute t = SplitTime(profile.ScheduleChangeTime);
  return {profile.IsScheduleChange, TwoDigits(t.hour), TwoDigits(t.minute)};
}

bool TimeTakenByOther(const std::vector<TDefDeviceTrayIconData>& profiles, int selected, double t) {
  // Times are compared by the time of day they name, to the millisecond, so
  // that a time read from the file equals the same time typed in.
  const int64_t ms = MillisecondsOfDay(t);
  for (size_t i = 0; i < profiles.size(); ++i) {
    if (static_cast<int>(i) == selected) continue;
    if (profiles[i].IsScheduleChange && MillisecondsOfDay(profiles[i].ScheduleChangeTime) == ms) return true;
  }
  return false;
}

DeviceScheduleEdit OnDeviceChangeTicked(std::vector<TDefDeviceTrayIconData>& profiles, int selected, bool on) {
  if (!Valid(profiles, selected)) return DeviceScheduleEdit::kIgnored;
  TDefDeviceTrayIconData& p = profiles[static_cast<size_t>(selected)];
  if (on && profiles.size() > 1 && TimeTakenByOther(profiles, selected, p.ScheduleChangeTime)) {
    p.IsScheduleChange = false;
    return DeviceScheduleEdit::kConflict;
  }
  p.IsScheduleChange = on;
  return DeviceScheduleEdit::kStored;
}

DeviceScheduleEdit OnDeviceTimeKeyReleased(std::vector<TDefDeviceTrayIconData>& profiles, int selected,
                                           std::string_view hourText, std::string_view minuteText, bool switchOn) {
  if (!Valid(profiles, selected)) return DeviceScheduleEdit::kIgnored;
  const int hour = FieldNumber(hourText);
  const int minute = FieldNumber(minuteText);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return DeviceScheduleEdit::kIgnored;
  const double t = TimeOfDay(hour, minute);
  if (profiles.size() > 1 && TimeTakenByOther(profiles, selected, t)) return DeviceScheduleEdit::kConflict;
  TDefDeviceTrayIconData& p = profiles[static_cast<size_t>(selected)];
  p.ScheduleChangeTime = t;
  p.IsScheduleChange = switchOn;
  return DeviceScheduleEdit::kStored;
}

}  // namespace volmaru::schedule
