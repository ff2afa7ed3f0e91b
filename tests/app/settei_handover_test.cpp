// The main window's side of the settings window's OK and closing: the
// popup menu's check marks, when the schedule is applied at once, how the
// meter is drawn again and when an always-shown meter comes back.
#include "app/settei_handover.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace volmaru::app {
namespace {

class FakeMain final : public HandOverPort {
 public:
  explicit FakeMain(MainWindowState& s) : s_(s) {}
  std::vector<std::string> calls;
  // What the hooks and the schedule run found in the state when called.
  int syncedMainKey = -1;
  int syncedMuteKey = -1;
  int syncedWait = -1;
  bool appliedInUse = false;
  bool appliedUse = false;
  ScheduleTable appliedTable{};

  void SyncHookState() override {
    calls.push_back("sync");
    syncedMainKey = s_.Keyboard.MainKey.code;
    syncedMuteKey = s_.Keyboard.MuteKey.code;
    syncedWait = s_.VolumeChangeWaitTime;
  }
  void ApplyScheduleAfterSettings() override {
    calls.push_back("apply");
    appliedInUse = s_.ScheduleRuntime.inUse;
    appliedUse = s_.ScheduleUse;
    appliedTable = s_.Schedule;
  }

 private:
  MainWindowState& s_;
};

class FakeMeter final : public MeterHandOverPort {
 public:
  settings::MeterSettings settings;
  bool visible = false;
  bool bar = false;
  std::vector<std::string> calls;

  settings::MeterSettings& Settings() override { return settings; }
  bool AllwaysShow() override { return settings.AllwaysShow; }
  bool Visible() override { return visible; }
  bool BarVisible() override { return bar; }
  void DrawMeter() override { calls.push_back("draw"); }
  void RefreshMeter() override { calls.push_back("refresh"); }
  void Show() override {
    calls.push_back("show");
    visible = true;
  }
  void Close() override {
    calls.push_back("close");
    visible = false;
  }
};

// The menu item the user sees with that caption.
const tray::MenuItem& Captioned(const tray::PopupMenuModel& menu, std::string_view caption) {
  for (const tray::MenuItem& item : menu.items()) {
    if (item.caption == caption) return item;
  }
  ADD_FAILURE() << "no menu item " << caption;
  static const tray::MenuItem kNone{};
  return kNone;
}

constexpr std::string_view kByKey = "キーボード操作では音量変更しない(&N)";
constexpr std::string_view kByMouse = "マウス操作では音量変更しない(&F)";

ScheduleTable OneBand() {
  ScheduleTable t{};
  t[0][0] = {0.25, 0.5, -7};
  return t;
}

class SetteiHandOverTest : public ::testing::Test {
 protected:
  MainWindowState state;
  tray::PopupMenuModel menu;
  FakeMain main{state};
  settings::MainHandOver values;
};

// --- the menu's check marks ----------------------------------------------------

TEST_F(SetteiHandOverTest, TheMenuMarksFollowTheTwoBoxesAfterOk) {
  values.NoChangeByKey = true;
  values.NoChangeByMouse = false;
  menu.item(tray::MenuId::MenuNoChangeByMouse).checked = true;  // was on before OK
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_TRUE(Captioned(menu, kByKey).checked);
  EXPECT_FALSE(Captioned(menu, kByMouse).checked);

  values.NoChangeByKey = false;
  values.NoChangeByMouse = true;
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_FALSE(Captioned(menu, kByKey).checked);
  EXPECT_TRUE(Captioned(menu, kByMouse).checked);
}

TEST_F(SetteiHandOverTest, NoOtherMenuItemTakesAMark) {
  values.NoChangeByKey = true;
  values.NoChangeByMouse = true;
  HandOverInputMenuAndSchedule(values, state, menu, main);
  for (const tray::MenuItem& item : menu.items()) {
    if (item.caption == kByKey || item.caption == kByMouse) continue;
    EXPECT_FALSE(item.checked) << item.caption;
  }
}

// --- the input values and the hooks ----------------------------------------------

TEST_F(SetteiHandOverTest, TheWheelAndTheWaitsAreTakenBeforeTheHooksReadThem) {
  values.WheelReverse = true;
  values.VolumeChangeWaitTime = 370;
  values.TrayIconWaitTime = 1250;
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_TRUE(state.WheelReverse);
  EXPECT_EQ(state.VolumeChangeWaitTime, 370);
  EXPECT_EQ(state.TrayIconWaitTime, 1250);
  EXPECT_EQ(main.calls, std::vector<std::string>{"sync"});
  EXPECT_EQ(main.syncedWait, 370) << "the hook's wait between steps is the new one";
}

TEST_F(SetteiHandOverTest, TheKeysIconsAndProfilesAreTakenBeforeTheHooksReadThem) {
  values.Keyboard.MainKey = {18, "Alt"};
  values.Keyboard.MuteKey = {36, "Home"};
  values.Keyboard.VolumeStep = 7;
  values.Icon = {0x123456, 0x654321};
  TDefDeviceTrayIconData p;
  p.DeviceName = "HDMI";
  values.DeviceProfiles = {p};
  HandOverKeyboardIconsAndProfiles(values, state, main);
  EXPECT_EQ(state.Keyboard, values.Keyboard);
  EXPECT_EQ(state.IconColours, values.Icon);
  ASSERT_EQ(state.DeviceProfiles.size(), 1u);
  EXPECT_EQ(state.DeviceProfiles[0].DeviceName, "HDMI");
  EXPECT_EQ(main.calls, std::vector<std::string>{"sync"});
  EXPECT_EQ(main.syncedMainKey, 18);
  EXPECT_EQ(main.syncedMuteKey, 36);
}

// --- the schedule ------------------------------------------------------------------

TEST_F(SetteiHandOverTest, AnEditedScheduleThatIsOnIsAppliedAtOnceWithTheNewTable) {
  values.ScheduleUse = true;
  values.ScheduleEdited = true;
  values.Schedule = OneBand();
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_EQ(main.calls, (std::vector<std::string>{"sync", "apply"}));
  EXPECT_TRUE(main.appliedInUse) << "the run-time schedule is switched on before it runs";
  EXPECT_TRUE(main.appliedUse);
  EXPECT_EQ(main.appliedTable, OneBand());
}

TEST_F(SetteiHandOverTest, AScheduleIsNotAppliedUnlessItIsOnAndWasEdited) {
  for (const bool use : {false, true}) {
    for (const bool edited : {false, true}) {
      if (use && edited) continue;
      FakeMain fresh(state);
      values.ScheduleUse = use;
      values.ScheduleEdited = edited;
      HandOverInputMenuAndSchedule(values, state, menu, fresh);
      EXPECT_EQ(fresh.calls, std::vector<std::string>{"sync"}) << "use " << use << " edited " << edited;
    }
  }
}

TEST_F(SetteiHandOverTest, TheScheduleAndItsSwitchAreTakenEvenWhenNotApplied) {
  state.ScheduleUse = true;
  state.ScheduleRuntime.inUse = true;
  values.ScheduleUse = false;
  values.ScheduleEdited = true;
  values.Schedule = OneBand();
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_FALSE(state.ScheduleUse);
  EXPECT_FALSE(state.ScheduleRuntime.inUse) << "a switched-off schedule stops running";
  EXPECT_EQ(state.Schedule, OneBand());

  values.ScheduleUse = true;
  values.ScheduleEdited = false;
  HandOverInputMenuAndSchedule(values, state, menu, main);
  EXPECT_TRUE(state.ScheduleUse);
  EXPECT_TRUE(state.ScheduleRuntime.inUse);
}

// --- the meter -------------------------------------------------------------------------

TEST_F(SetteiHandOverTest, TheMeterTakesItsValues) {
  FakeMeter meter;
  meter.settings.SavedVolumes = {20, 40};
  const settings::MeterHandOver v{3, true, 25, true, 0x0000FF};
  HandOverMeter(v, &meter);
  EXPECT_EQ(meter.settings.Position, 3);
  EXPECT_TRUE(meter.settings.AllwaysShow);
  EXPECT_EQ(meter.settings.ShowTime, 25);
  EXPECT_TRUE(meter.settings.IsNoShowPanelSetVolume);
  EXPECT_EQ(meter.settings.Color, 0x0000FFu);
  EXPECT_EQ(meter.settings.SavedVolumes, (std::vector<int>{20, 40})) << "the saved volumes are the meter's own";
}

TEST_F(SetteiHandOverTest, AHiddenMeterIsNotDrawn) {
  for (const bool bar : {false, true}) {
    FakeMeter meter;
    meter.visible = false;
    meter.bar = bar;
    HandOverMeter({}, &meter);
    EXPECT_TRUE(meter.calls.empty()) << "bar " << bar;
  }
}

TEST_F(SetteiHandOverTest, AVisibleMeterWithItsBarIsDrawnWhole) {
  FakeMeter meter;
  meter.visible = true;
  meter.bar = true;
  HandOverMeter({}, &meter);
  EXPECT_EQ(meter.calls, std::vector<std::string>{"draw"});
}

TEST_F(SetteiHandOverTest, AVisibleMeterWithoutItsBarIsOnlyRefreshed) {
  FakeMeter meter;
  meter.visible = true;
  meter.bar = false;
  HandOverMeter({}, &meter);
  EXPECT_EQ(meter.calls, std::vector<std::string>{"refresh"});
}

TEST_F(SetteiHandOverTest, NoMeterWindowYetIsNoFault) {
  HandOverMeter({}, nullptr);
  CloseMeterIfVisible(nullptr);
  ShowMeterIfAlwaysShown(nullptr);
}

// --- opening and closing the settings window -------------------------------------------

TEST_F(SetteiHandOverTest, AnAlwaysShownMeterComesBackWhenTheWindowCloses) {
  FakeMeter meter;
  meter.settings.AllwaysShow = true;
  meter.visible = false;
  ShowMeterIfAlwaysShown(&meter);
  EXPECT_EQ(meter.calls, std::vector<std::string>{"show"});
}

TEST_F(SetteiHandOverTest, AMeterNotAlwaysShownStaysHiddenWhenTheWindowCloses) {
  FakeMeter meter;
  meter.settings.AllwaysShow = false;
  ShowMeterIfAlwaysShown(&meter);
  EXPECT_TRUE(meter.calls.empty());
}

TEST_F(SetteiHandOverTest, AnAlwaysShownMeterAlreadyShowingIsNotShownAgain) {
  FakeMeter meter;
  meter.settings.AllwaysShow = true;
  meter.visible = true;
  ShowMeterIfAlwaysShown(&meter);
  EXPECT_TRUE(meter.calls.empty());
}

// The switch saved by OK decides, not the one the meter had before.
TEST_F(SetteiHandOverTest, TheSavedAlwaysShownSwitchDecidesAtTheClose) {
  FakeMeter meter;
  settings::MeterHandOver v;
  v.AllwaysShow = true;
  HandOverMeter(v, &meter);
  ShowMeterIfAlwaysShown(&meter);
  EXPECT_EQ(meter.calls, std::vector<std::string>{"show"});

  FakeMeter other;
  other.settings.AllwaysShow = true;
  v.AllwaysShow = false;
  HandOverMeter(v, &other);
  ShowMeterIfAlwaysShown(&other);
  EXPECT_TRUE(other.calls.empty());
}

TEST_F(SetteiHandOverTest, TheWindowOpeningClosesAVisibleMeterOnly) {
  FakeMeter shown;
  shown.visible = true;
  CloseMeterIfVisible(&shown);
  EXPECT_EQ(shown.calls, std::vector<std::string>{"close"});
  FakeMeter hidden;
  CloseMeterIfVisible(&hidden);
  EXPECT_TRUE(hidden.calls.empty());
}

}  // namespace
}  // namespace volmaru::app
