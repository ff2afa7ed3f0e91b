#include "app/timer_tick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace volmaru::app {
namespace {

class FakeTick : public TickPort {
 public:
  std::vector<std::string> calls;
  uint32_t now = 1000000;
  bool muted = false, mainDown = false, middleDown = false, noMouse = false, taskbar = true;
  Point cursor{500, 1060};
  bool meterVisible = false, editing = false, allways = false, settingsVisible = false, pointing = false,
       menuOpen = false;
  meter::Rect meter{480, 847, 960, 133};
  int showTime = 10;
  int seconds = 30;

  uint32_t Now() override { return now; }
  void InstallMissingHooks() override { calls.push_back("hooks"); }
  void ReadMute() override { calls.push_back("mute?"); }
  void ReadVolume() override { calls.push_back("volume?"); }
  void ProcessPendingMessages() override { calls.push_back("pump"); }
  bool Muted() override { return muted; }
  bool ToggleMute() override {
    calls.push_back("toggle");
    muted = !muted;
    return true;
  }
  int keyReads = 0, cursorReads = 0;
  bool KeyDown(int vk) override {
    ++keyReads;
    return vk == 29 && mainDown;
  }
  bool MiddleButtonDown() override { return middleDown; }
  bool NoChangeByMouse() override { return noMouse; }
  int taskbarLookups = 0;
  std::vector<meter::Rect> secondTaskbars;  // further monitors' taskbars
  std::vector<meter::Rect> TaskbarRects() override {
    ++taskbarLookups;
    if (!taskbar) return {};
    std::vector<meter::Rect> rects{meter::Rect{0, 1040, 1920, 40}};
    rects.insert(rects.end(), secondTaskbars.begin(), secondTaskbars.end());
    return rects;
  }
  Point Cursor() override {
    ++cursorReads;
    return cursor;
  }
  bool MeterVisible() override { return meterVisible; }
  meter::Rect MeterRect() override { return meter; }
  void MakeMeterTopmost() override { calls.push_back("topmost"); }
  bool IsEditingBox() override { return editing; }
  void ClearEditingBox() override {
    editing = false;
    calls.push_back("not editing");
  }
  int ShowTimeSeconds() override { return showTime; }
  bool AllwaysShow() override { return allways; }
  void ShowMeter() override {
    meterVisible = true;
    calls.push_back("show");
  }
  void CloseMeter() override {
    meterVisible = false;
    calls.push_back("close");
  }
  void RefreshMeter() override { calls.push_back("refresh"); }
  void DrawMeter() override { calls.push_back("draw"); }
  void RepaintMeter() override { calls.push_back("repaint"); }
  bool SettingsVisible() override { return settingsVisible; }
  bool PointingOptionOn() override { return pointing; }
  bool PopupMenuOpen() override { return menuOpen; }
  int SecondsOfMinute() override { return seconds; }
  void ExpireScheduleMarks() override { calls.push_back("expire"); }
  void ApplyVolumeSchedule() override { calls.push_back("schedule"); }
  void RunDeviceSchedule() override { calls.push_back("devices"); }

  bool Called(const std::string& c) const { return std::find(calls.begin(), calls.end(), c) != calls.end(); }
};

TEST(TimerTickTest, AQuietTickPollsInOrder) {
  MainWindowState s;
  FakeTick t;
  Timer1Tick(s, t);
  EXPECT_EQ(t.calls, (std::vector<std::string>{"hooks", "mute?", "pump", "volume?"}));
  t.calls.clear();
  t.muted = true;
  Timer1Tick(s, t);
  EXPECT_EQ(t.calls, (std::vector<std::string>{"hooks", "mute?", "pump"})) << "no volume poll while muted";
}

// Finding the taskbar is the dearest query of a tick: without the middle
// button held, no tick asks for it.
// Each question to the system's input costs a call on every tick: a quiet
// tick asks neither the main key's state nor the pointer's place; the main
// key is asked only while the middle button is down.
TEST(TimerTickTest, AQuietTickAsksNoKeyStateAndNoPointer) {
  MainWindowState s;
  FakeTick port;
  port.pointing = true;
  s.DeviceProfiles.resize(2);
  Timer1Tick(s, port);
  EXPECT_EQ(port.keyReads, 0);
  EXPECT_EQ(port.cursorReads, 0);
  port.middleDown = true;
  port.mainDown = true;
  Timer1Tick(s, port);
  EXPECT_EQ(port.keyReads, 1);
  EXPECT_EQ(port.taskbarLookups, 0) << "the main key held keeps the middle click from muting";
}

TEST(TimerTickTest, TheTaskbarIsLookedForOnlyWhileTheMiddleButtonIsDown) {
  MainWindowState s;
  FakeTick t;
  for (int i = 0; i < 3; ++i) Timer1Tick(s, t);
  EXPECT_EQ(t.taskbarLookups, 0);
  t.middleDown = true;
  Timer1Tick(s, t);
  EXPECT_EQ(t.taskbarLookups, 1);
  EXPECT_TRUE(t.Called("toggle"));
}

TEST(TimerTickTest, MiddleClickOnTheTaskbarTogglesOncePerSecond) {
  MainWindowState s;
  FakeTick t;
  t.middleDown = true;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("toggle"));
  EXPECT_EQ(s.LastMuteToggleAt, t.now);
  EXPECT_EQ(s.MeterShownAt, t.now);
  for (uint32_t dt : {100u, 999u}) {
    t.calls.clear();
    t.now = s.LastMuteToggleAt + dt;
    Timer1Tick(s, t);
    EXPECT_FALSE(t.Called("toggle")) << dt;
  }
  t.calls.clear();
  t.now = s.LastMuteToggleAt + 1000;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("toggle"));
}

TEST(TimerTickTest, MiddleClickIsIgnoredWithMainKeyMouseToggleOrOutsideTheTaskbar) {
  for (int variant = 0; variant < 4; ++variant) {
    MainWindowState s;
    FakeTick t;
    t.middleDown = true;
    if (variant == 0) t.mainDown = true;
    if (variant == 1) t.noMouse = true;
    if (variant == 2) t.cursor = {500, 1000};
    if (variant == 3) t.taskbar = false;
    Timer1Tick(s, t);
    EXPECT_FALSE(t.Called("toggle")) << variant;
  }
}

TEST(TimerTickTest, MeterHidesAfterShowTimeOnlyWithThePointerOutside) {
  MainWindowState s;
  FakeTick t;
  t.meterVisible = true;
  s.MeterShownAt = t.now;
  t.now += 9999;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.meterVisible);
  EXPECT_TRUE(t.Called("topmost"));
  t.now += 1;
  t.cursor = {1440, 980};  // on the meter's corner
  Timer1Tick(s, t);
  EXPECT_TRUE(t.meterVisible);
  t.cursor = {100, 100};
  Timer1Tick(s, t);
  EXPECT_FALSE(t.meterVisible);
  EXPECT_EQ(s.MeterShownAt, 0u);
}

TEST(TimerTickTest, NoHideWhileEditingAlwaysShownOrNothingPending) {
  for (int variant = 0; variant < 3; ++variant) {
    MainWindowState s;
    FakeTick t;
    t.meterVisible = true;
    t.cursor = {0, 0};
    s.MeterShownAt = 1;
    if (variant == 0) t.editing = true;
    if (variant == 1) t.allways = true;
    if (variant == 2) s.MeterShownAt = 0;
    Timer1Tick(s, t);
    EXPECT_TRUE(t.meterVisible) << variant;
  }
}

TEST(TimerTickTest, AlwaysShownMeterComesBackUnlessTheSettingsWindowIsOpen) {
  MainWindowState s;
  FakeTick t;
  t.allways = true;
  t.settingsVisible = true;
  Timer1Tick(s, t);
  EXPECT_FALSE(t.meterVisible);
  t.settingsVisible = false;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.meterVisible);
}

TEST(TimerTickTest, ScheduleRestsThirtySecondsAfterResumeAndRunsInTheFirstTenSeconds) {
  MainWindowState s;
  s.ScheduleUse = true;
  FakeTick t;
  t.seconds = 3;
  s.ResumedAt = t.now;
  t.now += 29999;
  Timer1Tick(s, t);
  EXPECT_FALSE(t.Called("schedule"));
  EXPECT_NE(s.ResumedAt, 0u);
  t.now += 1;
  Timer1Tick(s, t);
  EXPECT_EQ(s.ResumedAt, 0u);
  EXPECT_FALSE(t.Called("schedule")) << "the tick that ends the rest does nothing more";
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("schedule"));
  t.calls.clear();
  t.seconds = 10;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("expire"));
  EXPECT_FALSE(t.Called("schedule"));
  t.seconds = 0;
  t.settingsVisible = true;
  t.calls.clear();
  Timer1Tick(s, t);
  EXPECT_FALSE(t.Called("schedule"));
}

TEST(TimerTickTest, PointingShowsTheMeterOnlyNearThePointedSpotAfterTheWait) {
  MainWindowState s;
  FakeTick t;
  t.pointing = true;
  s.TrayIconWaitTime = 500;
  s.TrayPointedAt = t.now;
  s.TrayPointPos = {1900, 1060};
  t.cursor = {1916, 1044};  // 16 px off in both directions
  t.now += 500;
  Timer1Tick(s, t);
  EXPECT_FALSE(t.meterVisible) << "strictly after the wait";
  t.now += 1;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.meterVisible);
  EXPECT_EQ(s.TrayPointedAt, 0u);
  EXPECT_EQ(s.MeterShownAt, t.now);

  MainWindowState s2;
  FakeTick t2;
  t2.pointing = true;
  s2.TrayPointedAt = t2.now;
  s2.TrayPointPos = {1900, 1060};
  t2.cursor = {1917, 1060};
  t2.now += 501;
  Timer1Tick(s2, t2);
  EXPECT_FALSE(t2.meterVisible);
  EXPECT_EQ(s2.TrayPointedAt, 0u) << "pointing ends either way";
}

TEST(TimerTickTest, PointingWaitsWhileTheMenuIsOpenAndClearsEditingNearTheIcon) {
  MainWindowState s;
  FakeTick t;
  t.pointing = true;
  t.menuOpen = true;
  s.TrayPointedAt = t.now;
  s.TrayPointPos = t.cursor;
  t.now += 1000;
  Timer1Tick(s, t);
  EXPECT_FALSE(t.meterVisible);
  t.meterVisible = true;
  t.editing = true;
  Timer1Tick(s, t);
  EXPECT_FALSE(t.editing);
}

TEST(TimerTickTest, DeviceScheduleNeedsTwoProfilesAndTheRefreshStampExpires) {
  MainWindowState s;
  FakeTick t;
  s.DeviceProfiles.resize(1);
  Timer1Tick(s, t);
  EXPECT_FALSE(t.Called("devices"));
  s.DeviceProfiles.resize(2);
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("devices"));
  s.DeviceListRefreshedAt = t.now - 29999;
  Timer1Tick(s, t);
  EXPECT_NE(s.DeviceListRefreshedAt, 0u);
  t.now += 1;
  Timer1Tick(s, t);
  EXPECT_EQ(s.DeviceListRefreshedAt, 0u);
}

// The daily switch keeps its time while the settings window is open; the
// time bands wait for the window to close.
TEST(TimerTickTest, TheDeviceScheduleRunsWhileTheSettingsWindowIsOpen) {
  MainWindowState s;
  FakeTick t;
  s.DeviceProfiles.resize(2);
  s.ScheduleUse = true;
  t.settingsVisible = true;
  t.seconds = 3;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("devices"));
  EXPECT_FALSE(t.Called("schedule")) << "the bands wait for the window";
}

}  // namespace
}  // namespace volmaru::app

namespace volmaru::app {
namespace {

// A second monitor's taskbar counts as the main one does, with the same
// edges; the space between them does not.
TEST(TimerTickTest, AMiddleClickOnAnotherMonitorsTaskbarMutesToo) {
  for (const auto& [cursor, inside] : std::vector<std::pair<Point, bool>>{{{1920, 1040}, true},
                                                                          {{3839, 1079}, true},
                                                                          {{3840, 1060}, false},
                                                                          {{2500, 1039}, false},
                                                                          {{2500, 500}, false}}) {
    MainWindowState s;
    FakeTick t;
    t.secondTaskbars = {meter::Rect{1920, 1040, 1920, 40}};
    t.middleDown = true;
    t.cursor = cursor;
    Timer1Tick(s, t);
    EXPECT_EQ(t.Called("toggle"), inside) << cursor.x << "," << cursor.y;
  }
}

TEST(TimerTickTest, AMiddleClickOnTheTaskbarsLastRowCountsButNotBelowIt) {
  // The taskbar is (0,1040)-(1920,1080): its right and bottom edges are
  // outside, as the platform's point-in-rectangle test has it.
  for (const auto& [cursor, inside] : std::vector<std::pair<Point, bool>>{{{0, 1040}, true},
                                                                          {{1919, 1079}, true},
                                                                          {{1920, 1060}, false},
                                                                          {{500, 1080}, false},
                                                                          {{500, 1039}, false}}) {
    MainWindowState s;
    FakeTick t;
    t.middleDown = true;
    t.cursor = cursor;
    Timer1Tick(s, t);
    EXPECT_EQ(t.Called("toggle"), inside) << cursor.x << "," << cursor.y;
  }
}

TEST(TimerTickTest, PointingWhileMutedRefreshesTheMeterInsteadOfDrawingABar) {
  MainWindowState s;
  FakeTick t;
  t.pointing = true;
  s.IsMuted = true;
  s.TrayPointedAt = t.now;
  s.TrayPointPos = t.cursor;
  t.now += 501;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("refresh"));
  EXPECT_FALSE(t.Called("draw"));
  EXPECT_TRUE(t.meterVisible);
}

TEST(TimerTickTest, AFailedMiddleClickToggleStampsItsTimeAndShowsNoMeter) {
  class FailingToggle : public FakeTick {
   public:
    bool ToggleMute() override {
      calls.push_back("toggle");
      return false;
    }
  };
  MainWindowState s;
  FailingToggle t;
  t.middleDown = true;
  Timer1Tick(s, t);
  EXPECT_TRUE(t.Called("toggle"));
  EXPECT_FALSE(t.meterVisible);
  EXPECT_FALSE(t.Called("refresh"));
  EXPECT_EQ(s.LastMuteToggleAt, t.now) << "the one-second guard starts all the same";
  EXPECT_EQ(s.MeterShownAt, 0u);
}

// Hand-edited times: a negative one must not become a wait of 49 days, a
// huge one must not wrap to a short one; every sensible value stays as it is.
TEST(TimerTickTest, ShowTimesTheMillisecondArithmeticCannotHoldAreMended) {
  struct Case {
    int showTime;
    uint32_t elapsed;
    bool hides;
  };
  const Case cases[] = {
      {-5, 0, true},                     // counts as 0: hides at the first tick
      {-2147483647 - 1, 100, true},      // the most negative value too
      {0, 0, true},                      // 0 stays 0
      {500, 499999, false},              // 500 s stays 500 s
      {500, 500000, true},               //
      {4294968, 4294967294u, false},     // 4294968 s = 2^32 ms + 704 ms: capped, does not wrap to 704 ms
      {4294968, 704, false},             //
      {2147483647, 4000000000u, false},  // the largest value
  };
  for (const Case& c : cases) {
    MainWindowState s;
    FakeTick t;
    t.meterVisible = true;
    t.cursor = {0, 0};
    t.showTime = c.showTime;
    s.MeterShownAt = t.now;
    t.now += c.elapsed;
    Timer1Tick(s, t);
    EXPECT_EQ(!t.meterVisible, c.hides) << "ShowTime " << c.showTime << " after " << c.elapsed << " ms";
  }
}

TEST(TimerTickTest, TrayWaitTimesTheArithmeticCannotHoldAreMended) {
  struct Case {
    int wait;
    uint32_t elapsed;
    bool shows;
  };
  const Case cases[] = {
      {-1, 1, true},        // counts as 0: strictly after it, one tick later
      {-1, 0, false},       //
      {0, 1, true},         //
      {2000, 2000, false},  // sensible values unchanged
      {2000, 2001, true},   //
  };
  for (const Case& c : cases) {
    MainWindowState s;
    FakeTick t;
    t.pointing = true;
    s.TrayIconWaitTime = c.wait;
    s.TrayPointedAt = t.now;
    s.TrayPointPos = t.cursor;
    t.now += c.elapsed;
    Timer1Tick(s, t);
    EXPECT_EQ(t.meterVisible, c.shows) << "TrayIconWaitTime " << c.wait << " after " << c.elapsed << " ms";
  }
}

}  // namespace
}  // namespace volmaru::app
