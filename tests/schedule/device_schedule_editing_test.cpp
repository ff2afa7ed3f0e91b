#include "schedule/device_schedule_editing.h"

#include <gtest/gtest.h>

#include "schedule/schedule_editing.h"

namespace volmaru::schedule {
namespace {

// Device A at 07:30 and switched on, device B at 08:00 and off.
std::vector<TDefDeviceTrayIconData> AAndB() {
  TDefDeviceTrayIconData a;
  a.DeviceName = "A";
  a.IsScheduleChange = true;
  a.ScheduleChangeTime = TimeOfDay(7, 30);
  TDefDeviceTrayIconData b;
  b.DeviceName = "B";
  b.ScheduleChangeTime = TimeOfDay(8, 0);
  return {a, b};
}

TEST(DeviceScheduleTest, ShowsTheSwitchAndTwoDigitTimes) {
  auto p = AAndB();
  EXPECT_EQ(ShowDeviceSchedule(p[0]), (DeviceScheduleView{true, "07", "30"}));
  p[1].ScheduleChangeTime = TimeOfDay(23, 5) + 40.0;  // a date part is ignored
  EXPECT_EQ(ShowDeviceSchedule(p[1]), (DeviceScheduleView{false, "23", "05"}));
  p[1].ScheduleChangeTime = TimeOfDay(10, 10);
  EXPECT_EQ(ShowDeviceSchedule(p[1]), (DeviceScheduleView{false, "10", "10"}));
  p[1].ScheduleChangeTime = TimeOfDay(9, 9);
  EXPECT_EQ(ShowDeviceSchedule(p[1]), (DeviceScheduleView{false, "09", "09"}));
}

TEST(DeviceScheduleTest, ATimeAnotherSwitchedOnDeviceHasIsRefusedAtKeyRelease) {
  auto p = AAndB();
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "07", "30", true), DeviceScheduleEdit::kConflict);
  EXPECT_DOUBLE_EQ(p[1].ScheduleChangeTime, TimeOfDay(8, 0)) << "nothing stored";
  EXPECT_FALSE(p[1].IsScheduleChange);
  // A's own time is no conflict for A.
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 0, "7", "30", true), DeviceScheduleEdit::kStored);
  // Once A is off, the time is free.
  p[0].IsScheduleChange = false;
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "07", "30", true), DeviceScheduleEdit::kStored);
  EXPECT_TRUE(p[1].IsScheduleChange) << "the switch's state is stored with the time";
}

TEST(DeviceScheduleTest, HourAndMinuteAreStoredAtTheReleaseOfEitherKey) {
  auto p = AAndB();
  // Minute field shows 30; the hour field was emptied and 8 typed.
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "", "30", false), DeviceScheduleEdit::kIgnored);
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "8", "30", false), DeviceScheduleEdit::kStored);
  EXPECT_DOUBLE_EQ(p[1].ScheduleChangeTime, TimeOfDay(8, 30));
  EXPECT_FALSE(p[1].IsScheduleChange);
  for (const auto& [h, m] : std::vector<std::pair<const char*, const char*>>{
           {"25", "30"}, {"24", "00"}, {"-1", "00"}, {"8", "60"}, {"8", ""}, {"x", "1"}}) {
    EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, h, m, true), DeviceScheduleEdit::kIgnored) << h << ":" << m;
  }
  EXPECT_DOUBLE_EQ(p[1].ScheduleChangeTime, TimeOfDay(8, 30)) << "an invalid time stores nothing";
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "23", "59", false), DeviceScheduleEdit::kStored);
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 1, "0", "0", false), DeviceScheduleEdit::kStored);
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 2, "1", "0", false), DeviceScheduleEdit::kIgnored) << "no such device";
}

TEST(DeviceScheduleTest, TickingOnAtATakenTimeTurnsTheSwitchOffAgain) {
  auto p = AAndB();
  p[1].ScheduleChangeTime = TimeOfDay(7, 30);
  EXPECT_EQ(OnDeviceChangeTicked(p, 1, true), DeviceScheduleEdit::kConflict);
  EXPECT_FALSE(p[1].IsScheduleChange);
  EXPECT_EQ(OnDeviceChangeTicked(p, 0, false), DeviceScheduleEdit::kStored);
  EXPECT_FALSE(p[0].IsScheduleChange);
  EXPECT_EQ(OnDeviceChangeTicked(p, 1, true), DeviceScheduleEdit::kStored);
  EXPECT_TRUE(p[1].IsScheduleChange);
  EXPECT_EQ(OnDeviceChangeTicked(p, 0, true), DeviceScheduleEdit::kConflict) << "now A's time is taken";
}

TEST(DeviceScheduleTest, OneDeviceAloneNeverConflicts) {
  auto p = AAndB();
  p.resize(1);
  EXPECT_EQ(OnDeviceChangeTicked(p, 0, true), DeviceScheduleEdit::kStored);
  EXPECT_EQ(OnDeviceTimeKeyReleased(p, 0, "07", "30", true), DeviceScheduleEdit::kStored);
  EXPECT_EQ(OnDeviceChangeTicked(p, -1, true), DeviceScheduleEdit::kIgnored);
}

TEST(DeviceScheduleTest, ATimeReadFromTheFileEqualsTheSameTimeTyped) {
  auto p = AAndB();
  p[0].ScheduleChangeTime = (7 * 3600 + 30 * 60 + 0.0004) / 86400.0;  // float noise below a millisecond
  EXPECT_TRUE(TimeTakenByOther(p, 1, TimeOfDay(7, 30)));
  EXPECT_FALSE(TimeTakenByOther(p, 1, TimeOfDay(7, 31)));
  EXPECT_FALSE(TimeTakenByOther(p, 0, TimeOfDay(7, 30))) << "the device itself does not count";
}

}  // namespace
}  // namespace volmaru::schedule
