#include "schedule/schedule_runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace volmaru::schedule {
namespace {

double At(int h, int m) { return (h * 60.0 + m) / 1440.0; }

LocalTime Moment(int weekday, int h, int m, int s, int day = 7) {
  LocalTime t;
  t.date = {2026, 12, day};
  t.weekday = weekday;
  t.hour = h;
  t.minute = m;
  t.second = s;
  return t;
}

constexpr int kSunday = 1, kMonday = 2, kTuesday = 3, kSaturday = 7;

class FakeVolume : public ScheduleVolumePort {
 public:
  std::vector<int> sets;
  int meterShows = 0;
  bool startupComplete = true;
  void SetScheduledVolume(int v) override { sets.push_back(v); }
  bool StartupComplete() override { return startupComplete; }
  void ShowMeterForChange() override { ++meterShows; }
};

struct Rig {
  ScheduleTable table{};
  ScheduleRuntime rt;
  std::vector<TDefDeviceTrayIconData> profiles;
  std::string defaultDevice = "Speakers";
  FakeVolume port;

  explicit Rig(int normal) {
    TDefDeviceTrayIconData p;
    p.DeviceName = "Speakers";
    p.NormalVolume = normal;
    profiles.push_back(p);
    rt.inUse = true;
  }
  void Build() { rt.Rebuild(table); }
  // One tick in the first ten seconds of a minute, as the timer runs it.
  std::vector<int> Tick(const LocalTime& now) {
    port.sets.clear();
    rt.ExpireStaleMarks(now.date);
    ApplyVolumeSchedule(rt, profiles, defaultDevice, now, port);
    return port.sets;
  }
};

using V = std::vector<int>;

TEST(VolumeScheduleTest, AnEveryDayBandAcrossMidnight) {
  Rig r(50);
  r.table[0][0] = {At(22, 0), At(6, 0), -30};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSunday, 21, 59, 1)), V{50}) << "no band yet: the normal volume, once";
  EXPECT_EQ(r.Tick(Moment(kSunday, 21, 59, 5)), V{});
  EXPECT_EQ(r.Tick(Moment(kSunday, 22, 0, 0)), V{}) << "exactly at the start it has not begun";
  EXPECT_EQ(r.Tick(Moment(kSunday, 22, 0, 1)), V{20});
  EXPECT_EQ(r.port.meterShows, 2);
  EXPECT_EQ(r.Tick(Moment(kSunday, 22, 0, 2)), V{}) << "applied once per entry";
  EXPECT_EQ(r.Tick(Moment(kSunday, 22, 30, 3)), V{}) << "a change the user makes meanwhile stays";
  EXPECT_EQ(r.Tick(Moment(kSunday, 23, 59, 2)), V{}) << "between the halves: not the normal volume";
  EXPECT_EQ(r.Tick(Moment(kMonday, 0, 0, 0, 8)), V{20}) << "the second half goes on from the very start of the day";
  EXPECT_EQ(r.Tick(Moment(kMonday, 0, 0, 1, 8)), V{}) << "applied once";
  EXPECT_EQ(r.Tick(Moment(kMonday, 3, 0, 1, 8)), V{});
  EXPECT_EQ(r.Tick(Moment(kMonday, 6, 0, 1, 8)), V{50}) << "the band ended";
  EXPECT_EQ(r.Tick(Moment(kMonday, 6, 1, 1, 8)), V{});
}

TEST(VolumeScheduleTest, AWeekdayBandComesFirstAndReArmsTheEveryDayOne) {
  Rig r(40);
  r.table[0][0] = {At(7, 0), At(10, 0), -10};
  r.table[kMonday][1] = {At(8, 0), At(9, 0), 20};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kMonday, 7, 0, 1)), V{30});
  EXPECT_EQ(r.Tick(Moment(kMonday, 8, 0, 1)), V{60});
  EXPECT_EQ(r.Tick(Moment(kMonday, 8, 30, 1)), V{});
  EXPECT_EQ(r.Tick(Moment(kMonday, 9, 0, 1)), V{30}) << "the every-day band applies again";
  EXPECT_EQ(r.Tick(Moment(kMonday, 10, 0, 1)), V{40});
  // On Tuesday the Monday band does nothing.
  EXPECT_EQ(r.Tick(Moment(kTuesday, 8, 0, 1, 8)), V{30}) << "a new day: the every-day band once more";
  EXPECT_EQ(r.Tick(Moment(kTuesday, 8, 30, 1, 8)), V{});
}

TEST(VolumeScheduleTest, SaturdayHasBandsOfItsOwn) {
  Rig r(50);
  r.table[kSaturday][0] = {At(9, 0), At(10, 0), 10};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSaturday, 9, 0, 1, 12)), V{60});
  EXPECT_EQ(r.Tick(Moment(kSaturday, 10, 0, 1, 12)), V{50});
  EXPECT_EQ(r.Tick(Moment(kSunday, 9, 0, 1, 13)), V{50}) << "not on Sunday";
}

TEST(VolumeScheduleTest, EveryBandOfTheDayEndsInTheNormalVolume) {
  Rig r(50);
  r.table[0][0] = {At(9, 0), At(10, 0), -20};
  r.table[0][1] = {At(14, 0), At(15, 0), 20};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSunday, 8, 0, 1)), V{50});
  EXPECT_EQ(r.Tick(Moment(kSunday, 9, 0, 1)), V{30});
  EXPECT_EQ(r.Tick(Moment(kSunday, 10, 0, 1)), V{50});
  EXPECT_EQ(r.Tick(Moment(kSunday, 14, 0, 1)), V{70});
  EXPECT_EQ(r.Tick(Moment(kSunday, 15, 0, 1)), V{50}) << "the second band of the day ends as the first did";
}

TEST(VolumeScheduleTest, VolumesAreClampedToTheirRange) {
  Rig up(95);
  up.table[0][2] = {At(12, 0), At(13, 0), 20};
  up.Build();
  EXPECT_EQ(up.Tick(Moment(kSunday, 12, 0, 1)), V{100});
  Rig down(10);
  down.table[0][1] = {At(12, 0), At(13, 0), -30};
  down.Build();
  EXPECT_EQ(down.Tick(Moment(kSunday, 12, 0, 1)), V{0});
}

TEST(VolumeScheduleTest, NothingWithoutTheSwitchOrAProfileForTheDefaultDevice) {
  Rig off(50);
  off.table[0][0] = {At(12, 0), At(13, 0), 5};
  off.Build();
  off.rt.inUse = false;
  EXPECT_EQ(off.Tick(Moment(kSunday, 12, 0, 1)), V{});
  Rig other(50);
  other.table[0][0] = {At(12, 0), At(13, 0), 5};
  other.Build();
  other.defaultDevice = "speakers";  // names compare with case
  EXPECT_EQ(other.Tick(Moment(kSunday, 12, 0, 1)), V{});
  EXPECT_EQ(other.Tick(Moment(kSunday, 14, 0, 1)), V{}) << "not even the normal volume";
}

TEST(VolumeScheduleTest, AWeekdayBandThatEndsBeforeItStartsNeverActs) {
  Rig r(50);
  r.table[kSunday][0] = {At(23, 0), At(1, 0), -20};  // only a hand edit makes one
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSunday, 23, 30, 1)), V{50});
  EXPECT_EQ(r.Tick(Moment(kMonday, 0, 30, 1, 8)), V{50}) << "a new day, the normal volume again";
}

TEST(VolumeScheduleTest, SavingTheSettingsAppliesAtOnce) {
  Rig r(45);
  ScheduleTable table{};
  table[0][0] = {At(12, 0), At(13, 0), 10};
  r.rt.inUse = true;
  ApplyAfterSettingsSaved(r.rt, table, r.profiles, r.defaultDevice, Moment(kSunday, 9, 17, 42), r.port);
  EXPECT_EQ(r.port.sets, V{45}) << "no band active: the normal volume at once, whatever the second";
  r.port.sets.clear();
  ApplyAfterSettingsSaved(r.rt, table, r.profiles, r.defaultDevice, Moment(kSunday, 12, 30, 40), r.port);
  EXPECT_EQ(r.port.sets, V{55}) << "the middle of a band";
}

TEST(VolumeScheduleTest, NoMeterBeforeStartupCompletes) {
  Rig r(50);
  r.port.startupComplete = false;
  EXPECT_EQ(r.Tick(Moment(kSunday, 9, 0, 1)), V{50});
  EXPECT_EQ(r.port.meterShows, 0);
}

TEST(VolumeScheduleTest, TimesWithinAMillisecondAreTheSame) {
  EXPECT_TRUE(TimesEqual(At(7, 0), At(7, 0) + 0.9 / 86400000.0));
  EXPECT_FALSE(TimeEarlier(At(7, 0), At(7, 0) + 0.9 / 86400000.0));
  EXPECT_TRUE(TimeEarlier(At(7, 0), At(7, 0) + 1.1 / 86400000.0));
  EXPECT_NEAR(Moment(kSunday, 7, 30, 15).TimeOfDay(), (7 * 3600 + 30 * 60 + 15) / 86400.0, 1e-12);
}

TEST(VolumeScheduleTest, TheRebuildSplitsOnlyEveryDayBandsAcrossMidnight) {
  ScheduleTable table{};
  table[0][1] = {At(22, 0), At(6, 0), -30};
  table[3][2] = {At(8, 0), At(9, 0), 7};
  table[4][0] = {At(8, 0), -1, 7};  // incomplete
  ScheduleRuntime rt;
  rt.slots[4][0].start = 0.5;  // left from before
  rt.Rebuild(table);
  EXPECT_DOUBLE_EQ(rt.slots[0][2].start, At(22, 0));
  EXPECT_DOUBLE_EQ(rt.slots[0][2].end, At(23, 59));
  EXPECT_DOUBLE_EQ(rt.slots[0][3].start, 0.0);
  EXPECT_DOUBLE_EQ(rt.slots[0][3].end, At(6, 0));
  EXPECT_DOUBLE_EQ(rt.slots[3][4].end, At(9, 0));
  EXPECT_DOUBLE_EQ(rt.slots[3][5].end, 0.0);
  EXPECT_EQ(rt.offsets[3][2], 7);
  EXPECT_DOUBLE_EQ(rt.slots[4][0].start, 0.0);
  EXPECT_EQ(rt.offsets[4][0], 0);
}

TEST(VolumeScheduleTest, ABandEndsStrictlyAtItsEndAndBeginsStrictlyAfterItsStart) {
  Rig r(50);
  r.table[0][0] = {At(12, 0), At(13, 0), 10};
  r.Build();
  LocalTime justAfterStart = Moment(kSunday, 12, 0, 0);
  justAfterStart.millisecond = 2;
  EXPECT_EQ(r.Tick(justAfterStart), V{60});
  LocalTime beforeEnd = Moment(kSunday, 12, 59, 59);
  beforeEnd.millisecond = 998;
  EXPECT_EQ(r.Tick(beforeEnd), V{}) << "still inside";
  EXPECT_EQ(r.Tick(Moment(kSunday, 13, 0, 0)), V{50}) << "at its end the band is over";
}

TEST(VolumeScheduleTest, SlotsAreSearchedInTheirOrder) {
  Rig r(50);
  r.table[0][0] = {At(12, 0), At(14, 0), 10};
  r.table[0][1] = {At(11, 0), At(15, 0), -10};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSunday, 13, 0, 1)), V{60}) << "both bands hold 13:00: the first one applies";
}

// The machine slept overnight inside a band: its mark from yesterday does
// not keep today's entry from applying.
TEST(VolumeScheduleTest, AppliedMarksExpireOnANewDate) {
  Rig r(50);
  r.table[0][0] = {At(9, 0), At(17, 0), -20};
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kMonday, 9, 0, 1, 8)), V{30});
  EXPECT_EQ(r.Tick(Moment(kTuesday, 10, 0, 1, 9)), V{30}) << "a new date: the band applies again";
  EXPECT_EQ(r.Tick(Moment(kTuesday, 10, 1, 1, 9)), V{});
}

TEST(VolumeScheduleTest, SavingTheSettingsSetsTheNormalVolumeAgainAndAppliesAChangedOffsetAtOnce) {
  Rig r(45);
  ScheduleTable table{};
  table[0][0] = {At(12, 0), At(13, 0), 10};
  r.table = table;
  r.Build();
  EXPECT_EQ(r.Tick(Moment(kSunday, 9, 0, 1)), V{45});
  r.port.sets.clear();
  ApplyAfterSettingsSaved(r.rt, table, r.profiles, r.defaultDevice, Moment(kSunday, 9, 17, 42), r.port);
  EXPECT_EQ(r.port.sets, V{45}) << "OK sets the normal volume although it was set before";
  EXPECT_EQ(r.Tick(Moment(kSunday, 12, 0, 1)), V{55});
  table[0][0].Offset = 20;  // edited while the band runs
  r.port.sets.clear();
  ApplyAfterSettingsSaved(r.rt, table, r.profiles, r.defaultDevice, Moment(kSunday, 12, 30, 40), r.port);
  EXPECT_EQ(r.port.sets, V{65}) << "the rebuilt band is not marked as applied";
}

TEST(VolumeScheduleTest, ExactlyOneMillisecondApartIsStillTheSameTime) {
  const double ms = 1.0 / 86400000.0;
  EXPECT_TRUE(TimesEqual(0.0, ms));
  EXPECT_FALSE(TimeEarlier(0.0, ms));
  EXPECT_TRUE(TimeEarlier(0.0, 2 * ms));
  EXPECT_FALSE(TimesEqual(0.0, 2 * ms));
}

// --- the daily device schedule ------------------------------------------------

class FakeDevices : public DeviceSchedulePort {
 public:
  std::vector<std::string> calls;
  std::string defaultName = "Speakers";
  bool switchOk = true;
  void RunPointingHandler() override { calls.push_back("point"); }
  const std::string& DefaultDeviceName() override { return defaultName; }
  bool SwitchToDevice(const std::string& name, bool reportFailure) override {
    calls.push_back("switch " + name + (reportFailure ? "" : " quietly"));
    if (switchOk) defaultName = name;
    return switchOk;
  }
};

std::vector<TDefDeviceTrayIconData> TwoDevices() {
  std::vector<TDefDeviceTrayIconData> p(2);
  p[0].DeviceName = "Speakers";
  p[1].DeviceName = "HDMI";
  p[1].IsScheduleChange = true;
  p[1].ScheduleChangeTime = At(7, 30);
  return p;
}

LocalTime Clock(int h, int m, int s, int ms = 0) {
  LocalTime t = Moment(kMonday, h, m, s);
  t.millisecond = ms;
  return t;
}

using Calls = std::vector<std::string>;

TEST(DeviceScheduleTest, TheWindowRunsThirtySecondsWithBothEndsIncluded) {
  const auto devices = TwoDevices();
  EXPECT_FALSE(DueDeviceRecord(devices, Clock(7, 29, 59, 999).MillisecondOfDay()));
  EXPECT_EQ(DueDeviceRecord(devices, Clock(7, 30, 0).MillisecondOfDay()), 1u);
  EXPECT_EQ(DueDeviceRecord(devices, Clock(7, 30, 30).MillisecondOfDay()), 1u);
  EXPECT_FALSE(DueDeviceRecord(devices, Clock(7, 30, 30, 1).MillisecondOfDay()));
  auto dated = TwoDevices();
  dated[1].ScheduleChangeTime = 46000.0 + At(7, 30);  // only the time of day counts
  EXPECT_EQ(DueDeviceRecord(dated, Clock(7, 30, 10).MillisecondOfDay()), 1u);
}

// A tick asks the clock for the device schedule only when some record
// switches daily, among two devices or more.
TEST(DeviceScheduleTest, OnlyAScheduledRecordAmongTwoDevicesNeedsTheClock) {
  auto devices = TwoDevices();
  EXPECT_TRUE(AnyDeviceScheduled(devices));
  devices[1].IsScheduleChange = false;
  EXPECT_FALSE(AnyDeviceScheduled(devices));
  devices[0].IsScheduleChange = true;
  EXPECT_TRUE(AnyDeviceScheduled(devices)) << "the first record counts too";
  devices.pop_back();
  EXPECT_FALSE(AnyDeviceScheduled(devices)) << "one device has nothing to switch to";
  EXPECT_FALSE(AnyDeviceScheduled({}));
}

// Day fractions of whole minutes are not exact in binary: the window's end
// is found in whole milliseconds, for every minute of the day.
TEST(DeviceScheduleTest, BothEndsBelongToTheWindowAtEveryMinuteOfTheDay) {
  auto devices = TwoDevices();
  int missed = 0;
  for (int minute = 0; minute < 1440; ++minute) {
    devices[1].ScheduleChangeTime = At(minute / 60, minute % 60);
    if (!DueDeviceRecord(devices, Clock(minute / 60, minute % 60, 0).MillisecondOfDay())) ++missed;
    if (!DueDeviceRecord(devices, Clock(minute / 60, minute % 60, 30).MillisecondOfDay())) ++missed;
    if (DueDeviceRecord(devices, Clock(minute / 60, minute % 60, 30, 1).MillisecondOfDay())) ++missed;
  }
  EXPECT_EQ(missed, 0);
}

TEST(DeviceScheduleTest, TheWindowDoesNotRunOnPastMidnight) {
  auto devices = TwoDevices();
  devices[1].ScheduleChangeTime = At(23, 59) + 45.0 / 86400.0;
  EXPECT_EQ(DueDeviceRecord(devices, Clock(23, 59, 45).MillisecondOfDay()), 1u);
  EXPECT_EQ(DueDeviceRecord(devices, Clock(23, 59, 59, 999).MillisecondOfDay()), 1u);
  EXPECT_FALSE(DueDeviceRecord(devices, Clock(0, 0, 0).MillisecondOfDay()));
  EXPECT_FALSE(DueDeviceRecord(devices, Clock(0, 0, 14, 999).MillisecondOfDay()));
}

TEST(DeviceScheduleTest, SwitchesWithinTheWindowUntilTheDefaultCarriesTheName) {
  const auto devices = TwoDevices();
  DeviceScheduleState state;
  FakeDevices port;
  RunDeviceSchedule(devices, Clock(7, 30, 10), state, port);  // started at 07:30:10
  EXPECT_EQ(port.calls, (Calls{"point", "switch HDMI"}));
  port.calls.clear();
  RunDeviceSchedule(devices, Clock(7, 30, 11), state, port);
  EXPECT_EQ(port.calls, (Calls{"point"})) << "already the default: nothing more";
  port.calls.clear();
  port.defaultName = "Speakers";  // the user switched back after the window
  RunDeviceSchedule(devices, Clock(7, 30, 31), state, port);
  EXPECT_TRUE(port.calls.empty());
}

TEST(DeviceScheduleTest, OneRecordNeverActsAndUnscheduledRecordsAreSkipped) {
  auto one = TwoDevices();
  one.erase(one.begin());
  DeviceScheduleState state;
  FakeDevices port;
  RunDeviceSchedule(one, Clock(7, 30, 0), state, port);
  EXPECT_TRUE(port.calls.empty());
  auto off = TwoDevices();
  off[1].IsScheduleChange = false;
  RunDeviceSchedule(off, Clock(7, 30, 0), state, port);
  EXPECT_TRUE(port.calls.empty());
}

TEST(DeviceScheduleTest, TheFirstScheduledRecordWhoseWindowHoldsTheTimeIsHandled) {
  auto devices = TwoDevices();
  devices.push_back(devices[1]);
  devices.back().DeviceName = "USB";
  devices.back().ScheduleChangeTime = At(7, 30) + 10.0 / 86400.0;  // its window overlaps
  DeviceScheduleState state;
  FakeDevices port;
  RunDeviceSchedule(devices, Clock(7, 30, 15), state, port);
  EXPECT_EQ(port.calls, (Calls{"point", "switch HDMI"}));
}

// A device that was only late (still starting after a wake-up) is switched
// to once it is there; the user hears of a failure once per window.
TEST(DeviceScheduleTest, AFailedSwitchIsTriedAgainQuietlyUntilTheWindowEnds) {
  const auto devices = TwoDevices();
  DeviceScheduleState state;
  FakeDevices port;
  port.switchOk = false;
  RunDeviceSchedule(devices, Clock(7, 30, 1), state, port);
  RunDeviceSchedule(devices, Clock(7, 30, 2), state, port);
  EXPECT_EQ(port.calls, (Calls{"point", "switch HDMI", "point", "switch HDMI quietly"}));
  port.calls.clear();
  port.switchOk = true;  // the device has come up
  RunDeviceSchedule(devices, Clock(7, 30, 20), state, port);
  EXPECT_EQ(port.calls, (Calls{"point", "switch HDMI quietly"}));
  EXPECT_EQ(port.defaultName, "HDMI");
  port.calls.clear();
  RunDeviceSchedule(devices, Clock(7, 30, 31), state, port);
  EXPECT_TRUE(port.calls.empty()) << "the window is over";

  port.defaultName = "Speakers";
  port.switchOk = false;
  LocalTime tomorrow = Clock(7, 30, 1);
  tomorrow.date.day += 1;
  RunDeviceSchedule(devices, tomorrow, state, port);
  EXPECT_EQ(port.calls, (Calls{"point", "switch HDMI"})) << "the next day's window tells again";
}

}  // namespace
}  // namespace volmaru::schedule
