// The schedules at run time: the time-band volume schedule (bands of every
// day and of each weekday, offsets from the default device's normal volume,
// each band applied once when it begins and the normal volume set once when
// no band is active any more) and the daily default-device schedule. The
// clock is a port, so every rule runs against any weekday and time.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/device_profile.h"
#include "settings/volume_schedule.h"

namespace volmaru::schedule {

struct CivilDate {
  int year = 0, month = 0, day = 0;
  bool operator==(const CivilDate&) const = default;
};

// The local clock at one moment.
struct LocalTime {
  CivilDate date;
  int weekday = 1;  // 1 = Sunday .. 7 = Saturday (the day groups' numbering)
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  // The time of day as a day fraction (0.5 = 12:00).
  double TimeOfDay() const;
  // The time of day in whole milliseconds (0 .. 86399999).
  int64_t MillisecondOfDay() const;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

// Times of day within 1 ms of each other are the same time.
bool TimeEarlier(double a, double b);
bool TimesEqual(double a, double b);

inline constexpr int kSlotsPerGroup = 6;  // two per band: a band across midnight is split

struct ScheduleSlot {
  double start = 0.0;  // 0.0 .. 0.0 never becomes active
  double end = 0.0;
  // The second half of an every-day band across midnight: it goes on from
  // the first half, so it is active from the very start of the day (the
  // strict start test would leave 00:00:00.000 to the normal volume).
  bool fromMidnight = false;
  bool applied = false;
  CivilDate appliedOn;
};

// The main window's table of the bands, rebuilt from the stored ones at
// start-up and after the settings window's OK.
struct ScheduleRuntime {
  std::array<std::array<ScheduleSlot, kSlotsPerGroup>, 8> slots{};
  std::array<std::array<int, 3>, 8> offsets{};
  bool normalRestored = false;  // the normal volume was set after the last band
  CivilDate normalRestoredOn;
  bool inUse = false;

  // Every band anew from the stored table (applied marks cleared).
  void Rebuild(const ScheduleTable& table);
  // The marks of an earlier day no longer hold: a new day applies its bands
  // (and the normal volume) afresh.
  void ExpireStaleMarks(const CivilDate& today);
  void ClearAppliedMarks();
};

// What applying a volume needs from the main window.
class ScheduleVolumePort {
 public:
  virtual ~ScheduleVolumePort() = default;
  virtual void SetScheduledVolume(int volume) = 0;
  virtual bool StartupComplete() = 0;
  // Shows the meter for a timed display and draws it.
  virtual void ShowMeterForChange() = 0;
};

// The band (or the normal volume) that is due now, applied once.
void ApplyVolumeSchedule(ScheduleRuntime& rt, const std::vector<TDefDeviceTrayIconData>& profiles,
                         const std::string& defaultDeviceName, const LocalTime& now, ScheduleVolumePort& port);

// The settings window's OK with the schedule switched on and edited: the
// table anew, the normal volume due again, one evaluation at once.
void ApplyAfterSettingsSaved(ScheduleRuntime& rt, const ScheduleTable& table,
                             const std::vector<TDefDeviceTrayIconData>& profiles, const std::string& defaultDeviceName,
                             const LocalTime& now, ScheduleVolumePort& port);

// --- the daily device schedule ----------------------------------------------

inline constexpr int64_t kDeviceWindowMs = 30000;

// The first record whose daily switch window (its time of day to 30 s later,
// both ends included, never past midnight) holds `millisecondOfDay`.
std::optional<size_t> DueDeviceRecord(const std::vector<TDefDeviceTrayIconData>& profiles, int64_t millisecondOfDay);

// Whether any record switches daily at all (among two devices or more):
// without one a tick need not read the clock for the device schedule.
bool AnyDeviceScheduled(const std::vector<TDefDeviceTrayIconData>& profiles);

class DeviceSchedulePort {
 public:
  virtual ~DeviceSchedulePort() = default;
  // The tray pointing handler with all its effects (it refreshes the device
  // list and the default device's name, at most once every 30 s).
  virtual void RunPointingHandler() = 0;
  virtual const std::string& DefaultDeviceName() = 0;
  // The device item of the device of that name clicked; false when the
  // switch failed, which it tells the user when `reportFailure` is set.
  virtual bool SwitchToDevice(const std::string& deviceName, bool reportFailure) = 0;
};

// Remembers the window in which a switch failed: the user has been told
// once; later ticks of that window try again without telling again.
struct DeviceScheduleState {
  bool failed = false;
  CivilDate failedOn;
  std::string failedDevice;
  int64_t failedTime = 0;  // the window's start, in milliseconds of the day
};

void RunDeviceSchedule(const std::vector<TDefDeviceTrayIconData>& profiles, const LocalTime& now,
                       DeviceScheduleState& state, DeviceSchedulePort& port);

}  // namespace volmaru::schedule
