#include "input/input_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace volmaru::input {
namespace {

constexpr int kMuhenkan = 29, kRight = 39, kLeft = 37, kDown = 40;

class FakePort : public InputPort {
 public:
  std::vector<std::string> calls;
  uint32_t now = 100000;
  bool meterVisible = false, meterForeground = false, editing = false, muted = false;
  int volume = 50;
  bool setOk = true, toggleOk = true;

  uint32_t Now() override { return now; }
  bool MeterVisible() override { return meterVisible; }
  bool MeterIsForeground() override { return meterForeground; }
  bool IsEditingBox() override { return editing; }
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
  void ForceForegroundMeter() override {
    meterForeground = true;
    calls.push_back("foreground");
  }
  void ProcessPendingMessages() override {}
  int CurrentVolume() override { return volume; }
  bool Muted() override { return muted; }
  bool SetVolume(int v) override {
    calls.push_back("set " + std::to_string(v));
    if (setOk) volume = v;
    return setOk;
  }
  bool ToggleMute() override {
    calls.push_back("toggle");
    if (toggleOk) muted = !muted;
    return toggleOk;
  }
};

struct Rig {
  app::MainWindowState s;
  FakePort port;
  InputHandlers handlers{s, port};
  InputSwitches switches;

  void Key(int vk, bool mainHeld) {
    handlers.OnVolumeKey(EncodeKeyWParam(0x1D, mainHeld), static_cast<uint32_t>(vk), switches);
  }
  void Wheel(int delta, bool muteHeld = false, int digit = 0) {
    const uint32_t mouseData = static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16;
    handlers.OnVolumeWheel(EncodeWheelLParam(mouseData, muteHeld, digit), switches);
  }
  std::vector<std::string> Sets() const {
    std::vector<std::string> out;
    for (const auto& c : port.calls) {
      if (c.rfind("set", 0) == 0 || c == "toggle") out.push_back(c);
    }
    return out;
  }
};

TEST(InputKeysTest, DefaultChordsStepAndMute) {
  Rig r;
  r.Key(kRight, true);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "foreground", "set 53", "draw"}));
  EXPECT_EQ(r.s.MeterShownAt, 100000u);
  r.port.now += 10;
  r.Key(kLeft, true);
  r.port.now += 10;
  r.Key(kDown, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53", "set 50", "toggle"}));
}

TEST(InputKeysTest, ArrowsAloneDoNothingWhileAnotherProgramHasTheForeground) {
  Rig r;
  for (int vk : {kRight, kLeft, kDown, 0x35}) r.Key(vk, false);
  EXPECT_TRUE(r.port.calls.empty());
}

TEST(InputKeysTest, MainKeyAloneShowsTheMeterAndThenArrowsWorkWithoutIt) {
  Rig r;
  r.Key(kMuhenkan, false);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "draw", "foreground"}));
  r.Key(kRight, false);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
  r.port.meterForeground = false;  // another window took the foreground
  r.port.now += 10;
  r.Key(kRight, false);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
}

TEST(InputKeysTest, MainKeyAloneBringsAnAlreadyVisibleMeterToTheFront) {
  Rig r;
  r.port.meterVisible = true;
  r.s.MeterShownAt = 42;
  r.Key(kMuhenkan, false);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"foreground"})) << "no second drawing, but to the front";
  EXPECT_EQ(r.s.MeterShownAt, 42u);
}

TEST(InputKeysTest, MainKeyAloneWhileMutedRefreshesAndWithoutMainKeyOnlyDoesNothing) {
  Rig r;
  r.s.IsMuted = true;
  r.Key(kMuhenkan, false);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "refresh", "foreground"}));
  Rig q;
  q.s.Keyboard.MainKeyOnly = false;
  q.Key(kMuhenkan, false);
  EXPECT_TRUE(q.port.calls.empty());
}

TEST(InputKeysTest, LeftAndRightModifiersFoldToThePlainCode) {
  for (int vk : {0xA2, 0xA3}) {
    Rig r;
    r.s.Keyboard.MainKey = {17, "Ctrl"};
    r.Key(vk, false);
    EXPECT_EQ(r.port.calls.front(), "show") << vk;
  }
  Rig r;
  r.s.Keyboard.VolumeUpKey = {0x10, "Shift"};
  r.Key(0xA1, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
  EXPECT_EQ(FoldVirtualKey(0xA4), 0x12);
  EXPECT_EQ(FoldVirtualKey(0xA5), 0x12);
}

TEST(InputKeysTest, StepsClampAtTheEnds) {
  Rig r;
  r.port.volume = 99;
  r.Key(kRight, true);
  r.port.volume = 2;
  r.port.now += 1;
  r.Key(kLeft, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 100", "set 0"}));
  r.port.volume = 98;  // one past the top, exactly
  r.port.now += 1;
  r.Key(kRight, true);
  EXPECT_EQ(r.Sets().back(), "set 100");
}

TEST(InputKeysTest, DigitsSetTenTimesTheDigitAndZeroIsHundred) {
  Rig r;
  r.Key('0', true);
  r.Key(0x65, true);  // numpad 5
  r.Key('9', true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 100", "set 50", "set 90"}));
  EXPECT_EQ(r.s.LastVolumeStepAt, 0u) << "digits do not touch the step stamp";
}

TEST(InputKeysTest, MuteKeyTwiceWithinASecondTogglesOnce) {
  Rig r;
  r.Key(kDown, true);
  r.port.now += 999;
  r.Key(kDown, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"toggle"}));
  r.port.now += 1;
  r.Key(kDown, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"toggle", "toggle"}));
}

TEST(InputKeysTest, MuteKeyIsIgnoredWhileAWheelTurnIsHandled) {
  Rig r;
  r.s.WheelBusy = true;
  r.Key(kDown, true);
  EXPECT_TRUE(r.Sets().empty());
}

TEST(InputKeysTest, StepKeysHonourTheWaitTimeAndStampEvenOnFailure) {
  Rig r;
  r.s.VolumeChangeWaitTime = 300;
  r.s.LastVolumeStepAt = r.port.now - 300;
  r.Key(kRight, true);
  EXPECT_TRUE(r.Sets().empty()) << "exactly at the end of the wait is still early";
  r.port.now += 1;
  r.port.setOk = false;
  r.Key(kRight, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
  EXPECT_EQ(r.s.LastVolumeStepAt, r.port.now);
  EXPECT_EQ(r.port.calls.back(), "set 53") << "no drawing after a failed set";
}

TEST(InputKeysTest, NoChangeByKeyAndTheEditingBoxStopKeys) {
  Rig r;
  r.switches.noChangeByKey = true;
  r.Key(kRight, true);
  r.Key(kMuhenkan, false);  // the main key alone still shows the meter
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "draw", "foreground"}));
  Rig e;
  e.port.editing = true;
  e.Key(kMuhenkan, false);
  e.Key(kRight, true);
  EXPECT_TRUE(e.port.calls.empty());
}

TEST(InputKeysTest, SameCodeForUpAndDownCountsAsUp) {
  Rig r;
  r.s.Keyboard.VolumeDownKey = r.s.Keyboard.VolumeUpKey;
  r.Key(kRight, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
}

TEST(InputWheelTest, OneNotchIsOneStepAndReversalTurnsItAround) {
  Rig r;
  r.Wheel(120);
  r.port.now += 1;
  r.Wheel(-240);  // a big delta is still one step
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53", "set 50"}));
  r.s.WheelReverse = true;
  r.port.now += 1;
  r.Wheel(120);
  EXPECT_EQ(r.Sets().back(), "set 47");
  EXPECT_FALSE(r.s.WheelBusy);
}

TEST(InputWheelTest, SmallDeltasAddUpToANotch) {
  Rig r;
  for (int i = 0; i < 3; ++i) {
    r.port.now += 1;
    r.Wheel(40);
  }
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
  for (int i = 0; i < 5; ++i) {
    r.port.now += 1;
    r.Wheel(30);  // 150 in all: one step, 30 left over
  }
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53", "set 56"}));
  r.port.now += 1;
  r.Wheel(-100);  // turning back drops what was left
  EXPECT_EQ(r.Sets().size(), 2u);
  r.port.now += 1;
  r.Wheel(-20);
  EXPECT_EQ(r.Sets().back(), "set 53");
}

// What a small turn leaves over a notch counts towards the next one, in both
// directions alike.
TEST(InputWheelTest, WhatIsLeftOverANotchCarriesOn) {
  for (const int sign : {1, -1}) {
    Rig r;
    for (const int delta : {90, 90, 60}) {
      r.port.now += 1;
      r.Wheel(sign * delta);
    }
    EXPECT_EQ(r.Sets(), sign > 0 ? (std::vector<std::string>{"set 53", "set 56"})
                                 : (std::vector<std::string>{"set 47", "set 44"}))
        << "180 then 60 more are two notches, sign " << sign;
  }
}

TEST(InputWheelTest, TheWheelStopsAtNoughtAndAHundred) {
  Rig r;
  r.port.volume = 98;
  r.Wheel(120);
  r.port.volume = 100;
  r.port.now += 1;
  r.Wheel(120);
  r.port.volume = 1;
  r.port.now += 1;
  r.Wheel(-120);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 100", "set 100", "set 0"}));
}

// A whole notch starts the count afresh: nothing left over from small deltas
// before it carries on after it.
TEST(InputWheelTest, AWholeNotchDropsWhatSmallDeltasLeft) {
  for (const int sign : {1, -1}) {
    Rig r;
    for (const int delta : {60, 120, 60}) {
      r.port.now += 1;
      r.Wheel(sign * delta);
    }
    EXPECT_EQ(r.Sets().size(), 1u) << "only the whole notch steps, sign " << sign;
    Rig s;
    for (const int delta : {120, 119}) {
      s.port.now += 1;
      s.Wheel(sign * delta);
    }
    EXPECT_EQ(s.Sets().size(), 1u) << "119 after a notch is not a notch, sign " << sign;
  }
}

TEST(InputWheelTest, TheMuteKeyWithTheWheelTogglesAgainAfterExactlyASecond) {
  Rig r;
  r.Wheel(120, true);
  r.port.now += 999;
  r.Wheel(120, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"toggle"}));
  r.port.now += 1;
  r.Wheel(120, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"toggle", "toggle"}));
}

TEST(InputWheelTest, DigitHeldWhileTurningSetsExactlyThatVolume) {
  Rig r;
  r.port.volume = 73;
  r.Wheel(120, false, 50);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 50"}));
  EXPECT_EQ(HeldDigitTarget([](int vk) { return vk == 0x65 || vk == 0x33; }), 50);
  EXPECT_EQ(HeldDigitTarget([](int vk) { return vk == 0x30 || vk == 0x39; }), 100);
  EXPECT_EQ(HeldDigitTarget([](int) { return false; }), 0);
  EXPECT_EQ(WheelDigitTarget(EncodeWheelLParam(0x00780000, false, 100)), 100);
}

TEST(InputWheelTest, WhileMutedTheWheelClosesTheMeterAndWithTheMuteKeyUnmutes) {
  Rig r;
  r.port.muted = true;
  r.s.MeterShownAt = 5;
  r.Wheel(120);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "close"}));
  EXPECT_EQ(r.s.MeterShownAt, 0u);
  r.port.calls.clear();
  r.Wheel(120, true);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "toggle", "refresh"}));
  EXPECT_FALSE(r.port.muted);
  EXPECT_EQ(r.s.LastMuteToggleAt, r.port.now);
}

TEST(InputWheelTest, NoChangeByMouseIgnoresTheWheel) {
  Rig r;
  r.switches.noChangeByMouse = true;
  r.Wheel(120);
  EXPECT_TRUE(r.port.calls.empty());
}

TEST(InputWheelTest, FailedSetLeavesTheStepStampSoTheNextTurnIsNotDelayed) {
  Rig r;
  r.s.VolumeChangeWaitTime = 300;
  r.port.setOk = false;
  r.Wheel(120);
  EXPECT_EQ(r.s.LastVolumeStepAt, 0u);
}

TEST(InputHookTest, WheelQualifiesOverTaskbarMeterOrWithTheLeftButton) {
  WheelHookContext c;
  c.now = 10000;
  c.taskbarExists = true;
  c.taskbar = {0, 1040, 1920, 1080};
  c.cursor = {500, 1050};
  EXPECT_TRUE(WheelQualifies(c));
  c.cursor = {1920, 1050};  // the right edge is outside
  EXPECT_FALSE(WheelQualifies(c));
  c.meterVisible = true;
  c.meter = {480, 1000, 1440, 1060};
  c.cursor = {500, 1000};
  EXPECT_TRUE(WheelQualifies(c));
  c.meterVisible = false;
  EXPECT_FALSE(WheelQualifies(c));
  c.leftButtonDown = true;
  EXPECT_TRUE(WheelQualifies(c));
  c.taskbarExists = false;
  EXPECT_FALSE(WheelQualifies(c)) << "without a taskbar nothing qualifies";
}

// Every further monitor has a taskbar of its own: the wheel counts over
// each, with the same edges, and not in the space between them.
TEST(InputHookTest, WheelQualifiesOverEveryTaskbarOnScreen) {
  WheelHookContext c;
  c.now = 10000;
  c.taskbarExists = true;
  c.taskbar = {0, 1040, 1920, 1080};
  c.secondaryCount = 2;
  c.secondary[0] = {1920, 1040, 3840, 1080};
  c.secondary[1] = {-1280, 984, 0, 1024};
  for (const auto& [cursor, over] : std::vector<std::pair<app::Point, bool>>{{{1920, 1040}, true},
                                                                             {{3839, 1079}, true},
                                                                             {{3840, 1050}, false},
                                                                             {{-1280, 984}, true},
                                                                             {{-1, 1023}, true},
                                                                             {{-640, 1024}, false},
                                                                             {{2500, 1000}, false}}) {
    c.cursor = cursor;
    EXPECT_EQ(WheelQualifies(c), over) << cursor.x << "," << cursor.y;
  }
  c.cursor = {2500, 1050};
  c.secondaryCount = 1;
  EXPECT_TRUE(WheelQualifies(c));
  c.secondaryCount = 0;
  EXPECT_FALSE(WheelQualifies(c)) << "a taskbar no longer on screen does not count";
}

TEST(InputHookTest, FastTurnsWithinTheWaitTimePassToTheTaskbar) {
  WheelHookContext c;
  c.taskbarExists = true;
  c.taskbar = {0, 0, 100, 100};
  c.cursor = {5, 5};
  c.volumeChangeWaitTime = 300;
  c.lastVolumeStepAt = 50000;
  for (uint32_t dt : {0u, 100u, 299u, 300u}) {
    c.now = 50000 + dt;
    EXPECT_FALSE(WheelQualifies(c)) << dt;
  }
  c.now = 50301;
  EXPECT_TRUE(WheelQualifies(c));
}

// A negative wait from a hand-edited file counts as none, instead of
// blocking every later turn and key for 49 days.
TEST(InputHookTest, ANegativeWaitTimeCountsAsNone) {
  WheelHookContext c;
  c.taskbarExists = true;
  c.taskbar = {0, 0, 100, 100};
  c.cursor = {5, 5};
  c.volumeChangeWaitTime = -1;
  c.lastVolumeStepAt = 50000;
  c.now = 50001;
  EXPECT_TRUE(WheelQualifies(c));
  Rig r;
  r.s.VolumeChangeWaitTime = -300;
  r.s.LastVolumeStepAt = r.port.now - 1;
  r.Key(kRight, true);
  EXPECT_EQ(r.Sets(), (std::vector<std::string>{"set 53"}));
}

TEST(InputHookTest, KeysArePostedUnlessTheSettingsWindowCapturesOne) {
  EXPECT_TRUE(ShouldPostKey(0, kWmKeyDown, false));
  EXPECT_TRUE(ShouldPostKey(0, kWmSysKeyDown, false));
  EXPECT_FALSE(ShouldPostKey(0, 0x0101, false));  // key up
  EXPECT_FALSE(ShouldPostKey(0, kWmKeyDown, true));
  EXPECT_FALSE(ShouldPostKey(3, kWmKeyDown, false));
  EXPECT_EQ(EncodeKeyWParam(0x7B, true) & 0xFFFFu, 0x7Bu);
}

}  // namespace
}  // namespace volmaru::input
