#include "tray/tray_clicks.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace volmaru::tray {
namespace {

class FakeTray : public TrayPort {
 public:
  std::vector<std::string> calls;
  uint32_t now = 100000;
  bool settingsVisible = false, pointing = false, meterVisible = false, allways = false, menuOpen = false;
  bool muteKeyDown = false, followsDevice = false;
  std::function<void()> duringPump;  // e.g. the second click of a double click
  std::string balloon = "音量:50\rメインキー:[無変換]";
  std::string nextDeviceName;
  app::MainWindowState* state = nullptr;

  uint32_t Now() override { return now; }
  uint32_t DoubleClickTime() override { return 500; }
  void PumpUntil(uint32_t deadline) override {
    calls.push_back("pump " + std::to_string(deadline - now));
    if (duringPump) duringPump();
    now = deadline + 1;
  }
  bool SettingsVisible() override { return settingsVisible; }
  bool PointingOptionOn() override { return pointing; }
  bool MeterVisible() override { return meterVisible; }
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
  void ForceForegroundMeter() override { calls.push_back("foreground"); }
  void SetEditingBox(bool e) override { calls.push_back(e ? "editing" : "not editing"); }
  bool KeyDown(int vk) override { return vk == 40 && muteKeyDown; }
  bool PopupMenuOpen() override { return menuOpen; }
  app::Point Cursor() override { return {1900, 1070}; }
  void OpenPopupMenu() override { calls.push_back("menu"); }
  void OpenSettings() override {
    // Modal: visible while open, closed again when this returns.
    calls.push_back("settings");
    settingsVisible = false;
  }
  void RefreshDevices() override {
    calls.push_back("enumerate");
    state->DefaultDeviceName = nextDeviceName;
  }
  void PauseTimer() override { calls.push_back("timer off"); }
  void ResumeTimer() override { calls.push_back("timer on"); }
  std::string BalloonText() override { return balloon; }
  void SetBalloonAndTip(const std::string& t) override {
    balloon = t;
    calls.push_back("tip");
  }
  void RedrawIcon(int v) override { calls.push_back("icon " + std::to_string(v)); }
  bool IconFollowsDevice() override { return followsDevice; }
};

struct Rig {
  app::MainWindowState s;
  FakeTray port;
  Rig() { port.state = &s; }
};

TEST(TrayClicksTest, ASingleClickShowsTheMeterAfterTheDoubleClickWait) {
  Rig r;
  OnTrayLeftButtonUp(r.s, r.port);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"pump 700", "show", "draw", "foreground"}));
  EXPECT_EQ(r.s.TrayClickedAt, 100000u);
  EXPECT_EQ(r.s.MeterShownAt, r.port.now);
}

TEST(TrayClicksTest, ADoubleClickOpensSettingsAndTheClickResumesAfterItCloses) {
  Rig r;
  r.port.duringPump = [&] { OnTrayDoubleClick(r.s, r.port); };
  OnTrayLeftButtonUp(r.s, r.port);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"pump 700", "settings", "show", "draw", "foreground"}));
}

TEST(TrayClicksTest, NothingMoreWhileTheSettingsWindowIsOpen) {
  Rig r;
  r.port.settingsVisible = true;
  OnTrayLeftButtonUp(r.s, r.port);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"pump 700"}));
}

TEST(TrayClicksTest, AClickHidesAShownMeterAndClearsItsTimer) {
  Rig r;
  r.port.meterVisible = true;
  r.s.MeterShownAt = 5;
  OnTrayLeftButtonUp(r.s, r.port);
  EXPECT_FALSE(r.port.meterVisible);
  EXPECT_EQ(r.s.MeterShownAt, 0u);
  OnTrayLeftButtonUp(r.s, r.port);  // a second click shows it again
  EXPECT_TRUE(r.port.meterVisible);
  Rig a;
  a.port.meterVisible = true;
  a.port.allways = true;
  a.s.MeterShownAt = 5;
  OnTrayLeftButtonUp(a.s, a.port);
  EXPECT_TRUE(a.port.meterVisible) << "an always-shown meter stays";
  EXPECT_EQ(a.s.MeterShownAt, 0u);
}

TEST(TrayClicksTest, WithThePointingOptionAClickNeverShowsAndMutedRefreshes) {
  Rig r;
  r.port.pointing = true;
  OnTrayLeftButtonUp(r.s, r.port);
  EXPECT_FALSE(r.port.meterVisible);
  Rig m;
  m.s.IsMuted = true;
  OnTrayLeftButtonUp(m.s, m.port);
  EXPECT_EQ(m.port.calls[2], "refresh");
}

TEST(TrayClicksTest, RightClickEndsPointingClosesTheMeterAndOpensTheMenu) {
  Rig r;
  r.s.TrayPointedAt = 7;
  r.port.meterVisible = true;
  OnTrayRightButtonUp(r.s, r.port);
  EXPECT_EQ(r.s.TrayPointedAt, 0u);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"close", "menu"}));
}

TEST(TrayClicksTest, ARightClickNeverClosesAnAlwaysShownMeter) {
  Rig r;
  r.port.meterVisible = true;
  r.port.allways = true;
  OnTrayRightButtonUp(r.s, r.port);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"menu"}));
  EXPECT_TRUE(r.port.meterVisible);
}

TEST(TrayClicksTest, PointingSleepsFiveSecondsAfterAClick) {
  Rig r;
  r.port.pointing = true;
  r.s.TrayClickedAt = r.port.now - 4999;
  OnTrayPointerMove(r.s, r.port);
  EXPECT_EQ(r.s.TrayPointedAt, 0u);
  r.s.TrayClickedAt = r.port.now + 10;  // the distance counts both ways
  OnTrayPointerMove(r.s, r.port);
  EXPECT_EQ(r.s.TrayPointedAt, 0u);
  r.s.TrayClickedAt = r.port.now - 5000;
  OnTrayPointerMove(r.s, r.port);
  EXPECT_EQ(r.s.TrayPointedAt, r.port.now);
  EXPECT_EQ(r.s.TrayPointPos, (app::Point{1900, 1070}));
}

TEST(TrayClicksTest, PointingIsIgnoredWithTheMuteKeyOrTheMenuAndClearsEditing) {
  for (int variant = 0; variant < 3; ++variant) {
    Rig r;
    r.port.pointing = true;
    if (variant == 0) r.port.muteKeyDown = true;
    if (variant == 1) r.port.menuOpen = true;
    if (variant == 2) r.port.meterVisible = true;
    OnTrayPointerMove(r.s, r.port);
    EXPECT_EQ(r.s.TrayPointedAt, 0u) << variant;
    if (variant == 2) {
      EXPECT_EQ(r.port.calls, (std::vector<std::string>{"not editing"}));
    }
  }
  Rig off;  // option off: the place is still recorded, nothing is pending
  OnTrayPointerMove(off.s, off.port);
  EXPECT_EQ(off.s.TrayPointedAt, 0u);
  EXPECT_EQ(off.s.TrayPointPos, (app::Point{1900, 1070}));
}

TEST(TrayClicksTest, ANewDefaultDeviceRenamesTheTipOrAddsTheDeviceLine) {
  Rig r;
  r.s.UseEndpointVolume = true;
  r.port.nextDeviceName = "HDMI";
  OnTrayPointerMove(r.s, r.port);
  EXPECT_EQ(r.port.balloon, "音量:50\rメインキー:[無変換]\r\n既定の再生デバイス:\r\n HDMI");
  EXPECT_EQ(r.s.DeviceListRefreshedAt, r.port.now);

  Rig q;
  q.s.UseEndpointVolume = true;
  q.s.DefaultDeviceName = "alt";
  q.port.balloon = "音量:5\rメインキー:[Alt]\r\n既定の再生デバイス:\r\n alt";
  q.port.nextDeviceName = "Speakers";
  q.port.followsDevice = true;
  q.s.LastVolume = 5;
  OnTrayPointerMove(q.s, q.port);
  EXPECT_EQ(q.port.balloon, "音量:5\rメインキー:[Speakers]\r\n既定の再生デバイス:\r\n Speakers");
  EXPECT_EQ(q.port.calls, (std::vector<std::string>{"enumerate", "timer off", "icon 5", "tip", "timer on"}));
}

TEST(TrayClicksTest, DevicesAreEnumeratedAtMostOncePerRefreshPeriod) {
  Rig r;
  r.s.UseEndpointVolume = true;
  r.s.DeviceListRefreshedAt = 123;
  OnTrayPointerMove(r.s, r.port);
  EXPECT_TRUE(r.port.calls.empty());
}

}  // namespace
}  // namespace volmaru::tray
