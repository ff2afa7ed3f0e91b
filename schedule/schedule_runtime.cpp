#include "schedule/schedule_runtime.h"

#include <cmath>

namespace volmaru::schedule {
namespace {

constexpr double kMillisecond = 1.0 / 86400000.0;
constexpr double kLastMinute = (23.0 * 60.0 + 59.0) / 1440.0;  // 23:59:00

const TDefDeviceTrayIconData* ProfileNamed(const std::vector<TDefDeviceTrayIconData>& profiles,
                                           const std::string& name) {
  for (const TDefDeviceTrayIconData& p : profiles) {
    if (p.DeviceName == name) return &p;
  }
  return nullptr;
}

bool Active(const ScheduleSlot& slot, double now) {
  return (slot.fromMidnight || TimeEarlier(slot.start, now)) && TimeEarlier(now, slot.end);
}

void ApplySlot(ScheduleRuntime& rt, int group, int slot, int normalVolume, const LocalTime& now,
               ScheduleVolumePort& port) {
  ScheduleSlot& s = rt.slots[static_cast<size_t>(group)][static_cast<size_t>(slot)];
  if (s.applied) return;
  int volume = normalVolume + rt.offsets[static_cast<size_t>(group)][static_cast<size_t>(slot / 2)];
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  port.SetScheduledVolume(volume);
  // A failed set is not tried again: the slot counts as applied all the same.
  rt.ClearAppliedMarks();
  s.applied = true;
  s.appliedOn = now.date;
  rt.normalRestored = false;
  if (port.StartupComplete()) port.ShowMeterForChange();
}

}  // namespace

double LocalTime::TimeOfDay() const {
  return static_cast<double>(MillisecondOfDay()) / static_cast<double>(kMillisecondsPerDay);
}

int64_t LocalTime::MillisecondOfDay() const {
  return ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
}

bool TimeEarlier(double a, double b) { return b - a > kMillisecond; }
bool TimesEqual(double a, double b) { return std::fabs(a - b) <= kMillisecond; }

void ScheduleRuntime::Rebuild(const ScheduleTable& table) {
  for (size_t g = 0; g < table.size(); ++g) {
    for (size_t b = 0; b < table[g].size(); ++b) {
      const VolumeSchedule& band = table[g][b];
      ScheduleSlot& first = slots[g][2 * b];
      ScheduleSlot& second = slots[g][2 * b + 1];
      first = ScheduleSlot{};
      second = ScheduleSlot{};
      offsets[g][b] = band.IsComplete() ? band.Offset : 0;
      if (!band.IsComplete()) continue;
      if (g == 0 && TimeEarlier(band.End, band.Start)) {
        // Every day across midnight: up to the last minute, then from 00:00.
        first.start = band.Start;
        first.end = kLastMinute;
        second.start = 0.0;
        second.end = band.End;
        second.fromMidnight = true;
      } else {
        // A weekday band that ends before it starts (only a hand edit makes
        // one) is a slot that never becomes active.
        first.start = band.Start;
        first.end = band.End;
      }
    }
  }
}

void ScheduleRuntime::ExpireStaleMarks(const CivilDate& today) {
  for (auto& group : slots) {
    for (ScheduleSlot& s : group) {
      if (s.applied && !(s.appliedOn == today)) s.applied = false;
    }
  }
  if (normalRestored && !(normalRestoredOn == today)) normalRestored = false;
}

void ScheduleRuntime::ClearAppliedMarks() {
  for (auto& group : slots) {
    for (ScheduleSlot& s : group) s.applied = false;
  }
}

void ApplyVolumeSchedule(ScheduleRuntime& rt, const std::vector<TDefDeviceTrayIconData>& profiles,
                         const std::string& defaultDeviceName, const LocalTime& now, ScheduleVolumePort& port) {
  if (!rt.inUse) return;
  const TDefDeviceTrayIconData* profile = ProfileNamed(profiles, defaultDeviceName);
  if (!profile) return;
  const double t = now.TimeOfDay();
  // A weekday's own bands come before the every-day ones.
  for (const int group : {now.weekday, 0}) {
    if (group < 0 || group > 7) continue;
    for (int slot = 0; slot < kSlotsPerGroup; ++slot) {
      if (Active(rt.slots[static_cast<size_t>(group)][static_cast<size_t>(slot)], t)) {
        ApplySlot(rt, group, slot, profile->NormalVolume, now, port);
        return;
      }
    }
  }
  if (rt.normalRestored) return;
  // In the last minute of the day a band across midnight is between its two
  // halves: the normal volume must not come in between.
  if (now.hour == 23 && now.minute == 59) {
    rt.ClearAppliedMarks();
    return;
  }
  port.SetScheduledVolume(profile->NormalVolume);
  rt.normalRestored = true;
  rt.normalRestoredOn = now.date;
  rt.ClearAppliedMarks();
  if (port.StartupComplete()) port.ShowMeterForChange();
}

void ApplyAfterSettingsSaved(ScheduleRuntime& rt, const ScheduleTable& table,
                             const std::vector<TDefDeviceTrayIconData>& profiles, const std::string& defaultDeviceName,
                             const LocalTime& now, ScheduleVolumePort& port) {
  rt.Rebuild(table);
  rt.normalRestored = false;
  ApplyVolumeSchedule(rt, profiles, defaultDeviceName, now, port);
}

std::optional<size_t> DueDeviceRecord(const std::vector<TDefDeviceTrayIconData>& profiles, int64_t millisecondOfDay) {
  for (size_t i = 0; i < profiles.size(); ++i) {
    const TDefDeviceTrayIconData& p = profiles[i];
    if (!p.IsScheduleChange) continue;
    // Whole milliseconds: both ends belong to the window, which never runs
    // on past midnight into the next day.
    const int64_t start = MillisecondsOfDay(p.ScheduleChangeTime);
    if (millisecondOfDay >= start && millisecondOfDay <= start + kDeviceWindowMs) return i;
  }
  return std::nullopt;
}

bool AnyDeviceScheduled(const std::vector<TDefDeviceTrayIconData>& profiles) {
  if (profiles.size() < 2) return false;
  for (const TDefDeviceTrayIconData& p : profiles) {
    if (p.IsScheduleChange) return true;
  }
  return false;
}

void RunDeviceSchedule(const std::vector<TDefDeviceTrayIconData>& profiles, const LocalTime& now,
                       DeviceScheduleState& state, DeviceSchedulePort& port) {
  if (profiles.size() < 2) return;
  const std::optional<size_t> due = DueDeviceRecord(profiles, now.MillisecondOfDay());
  if (!due) return;
  // Copies: the pointing handler may enumerate the devices anew, which
  // replaces the profile list.
  const std::string device = profiles[*due].DeviceName;
  const int64_t time = MillisecondsOfDay(profiles[*due].ScheduleChangeTime);
  // A device that was late (still starting after a wake-up, say) is tried
  // again on every tick of the window; the user hears of a failure once.
  const bool told =
      state.failed && state.failedOn == now.date && state.failedDevice == device && state.failedTime == time;
  port.RunPointingHandler();
  if (port.DefaultDeviceName() == device) return;
  if (port.SwitchToDevice(device, !told) || told) return;
  state.failed = true;
  state.failedOn = now.date;
  state.failedDevice = device;
  state.failedTime = time;
}

}  // namespace volmaru::schedule
