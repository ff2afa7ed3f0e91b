#include "tray/menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace volmaru::tray {
namespace {

class FakeMenuPort : public MenuCommandPort {
 public:
  std::vector<std::string> calls;
  uint32_t now = 7000;
  bool settingsVisible = false, meterVisible = false, muteOk = true;

  uint32_t Now() override { return now; }
  void WriteSwitch(MenuSwitch which, bool checked) override {
    calls.push_back("write " + std::to_string(static_cast<int>(which)) + "=" + (checked ? "1" : "0"));
  }
  bool SettingsVisible() override { return settingsVisible; }
  void SyncSettingsSwitch(MenuSwitch which, bool checked) override {
    calls.push_back("sync " + std::to_string(static_cast<int>(which)) + "=" + (checked ? "1" : "0"));
  }
  void ReleaseSettingsWindow() override { calls.push_back("release settings"); }
  void OpenSettings() override { calls.push_back("settings"); }
  bool MeterVisible() override { return meterVisible; }
  void ShowMeter() override {
    meterVisible = true;
    calls.push_back("show");
  }
  void CloseMeter() override {
    meterVisible = false;
    calls.push_back("close meter");
  }
  void DrawMeter() override { calls.push_back("draw"); }
  void RefreshMeter() override { calls.push_back("refresh"); }
  void ForceForegroundMeter() override { calls.push_back("foreground"); }
  bool ToggleMute() override {
    calls.push_back("toggle");
    return muteOk;
  }
  void RebindEndpointVolume() override { calls.push_back("rebind"); }
  void ShowMessage(std::string_view text) override { calls.push_back("message " + std::string(text)); }
  void CloseMainWindow() override { calls.push_back("close main"); }
  void RunShellCommand(MenuId id) override { calls.push_back("shell " + std::to_string(static_cast<int>(id))); }
};

struct Rig {
  app::MainWindowState s;
  PopupMenuModel menu;
  FakeMenuPort port;
  Rig() { s.StartupComplete = true; }
  void Run(MenuId id) { OnMenuCommand(id, s, menu, port); }
};

TEST(MenuCommandsTest, SwitchesDoNothingBeforeStartupCompletes) {
  Rig r;
  r.s.StartupComplete = false;
  r.port.settingsVisible = true;
  r.Run(MenuId::MenuNoChangeByKey);
  r.Run(MenuId::MenuNoChangeByMouse);
  EXPECT_FALSE(r.menu.item(MenuId::MenuNoChangeByKey).checked);
  EXPECT_FALSE(r.menu.item(MenuId::MenuNoChangeByMouse).checked);
  // The balloon switch flips its mark but writes nothing yet.
  r.Run(MenuId::MenuNoShowBalloonHint);
  EXPECT_TRUE(r.menu.item(MenuId::MenuNoShowBalloonHint).checked);
  EXPECT_TRUE(r.port.calls.empty());
}

TEST(MenuCommandsTest, SwitchesFlipWriteAndKeepAnOpenSettingsWindowInStep) {
  Rig r;
  r.Run(MenuId::MenuNoChangeByKey);
  EXPECT_TRUE(r.menu.item(MenuId::MenuNoChangeByKey).checked);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"write 0=1"})) << "no settings window open: nothing to sync";
  r.port.calls.clear();
  r.port.settingsVisible = true;
  r.Run(MenuId::MenuNoChangeByMouse);
  r.Run(MenuId::MenuNoChangeByKey);
  r.Run(MenuId::MenuNoShowBalloonHint);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"sync 1=1", "write 1=1", "sync 0=0", "write 0=0", "write 2=1"}))
      << "the balloon switch has no check box in the settings window";
}

TEST(MenuCommandsTest, SettingsCommandHidesTheMeterFirst) {
  Rig r;
  r.port.meterVisible = true;
  r.s.MeterShownAt = 123;
  r.Run(MenuId::MenuSettei);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"close meter", "settings"}));
  EXPECT_EQ(r.s.MeterShownAt, 0u);
  Rig hidden;
  hidden.s.MeterShownAt = 123;
  hidden.Run(MenuId::MenuSettei);
  EXPECT_EQ(hidden.port.calls, (std::vector<std::string>{"settings"}));
  EXPECT_EQ(hidden.s.MeterShownAt, 123u);
}

TEST(MenuCommandsTest, ShowVolumeAndMuteShowTheMeterForATimedDisplay) {
  Rig r;
  r.Run(MenuId::MenuShowVolume);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"show", "draw", "foreground"}));
  EXPECT_EQ(r.s.MeterShownAt, 7000u);

  Rig m;
  m.port.now = 9000;
  m.Run(MenuId::MenuMute);
  EXPECT_EQ(m.port.calls, (std::vector<std::string>{"show", "toggle", "refresh"}));
  EXPECT_EQ(m.s.MeterShownAt, 9000u);
  EXPECT_EQ(m.s.LastMuteToggleAt, 9000u);

  Rig failed;
  failed.port.muteOk = false;
  failed.Run(MenuId::MenuMute);
  EXPECT_EQ(failed.port.calls, (std::vector<std::string>{"show", "toggle"})) << "no refresh after a failed toggle";
  EXPECT_EQ(failed.s.LastMuteToggleAt, 7000u) << "the guard is stamped all the same";
}

TEST(MenuCommandsTest, RebindingIsTheDevicesOwnCommand) {
  Rig r;
  r.Run(MenuId::MenuGetAudioEndVol);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"rebind"}));
}

TEST(MenuCommandsTest, ExitLetsTheSettingsWindowGoAndClosesEverything) {
  Rig r;
  r.port.meterVisible = true;
  r.Run(MenuId::MenuEnd);
  EXPECT_EQ(r.port.calls, (std::vector<std::string>{"release settings", "close meter", "close main"}));
  Rig hidden;
  hidden.Run(MenuId::MenuEnd);
  EXPECT_EQ(hidden.port.calls, (std::vector<std::string>{"release settings", "close main"}));
}

TEST(MenuCommandsTest, ShellCommandsGoToThePortAndSeparatorsDoNothing) {
  Rig r;
  for (MenuId id : {MenuId::MenuStartUp, MenuId::MenuOpenSound, MenuId::MenuOpenVolumeCtrl, MenuId::MenuHelp,
                    MenuId::MenuAbout, MenuId::MenuRestart}) {
    r.port.calls.clear();
    r.Run(id);
    EXPECT_EQ(r.port.calls, (std::vector<std::string>{"shell " + std::to_string(static_cast<int>(id))}));
  }
  r.port.calls.clear();
  for (MenuId id : {MenuId::N2, MenuId::N7, MenuId::MenuChangeDefAudioDevice}) r.Run(id);
  EXPECT_TRUE(r.port.calls.empty());
}

}  // namespace
}  // namespace volmaru::tray
