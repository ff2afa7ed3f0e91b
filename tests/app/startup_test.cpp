#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/settings/fake_files.h"

namespace volmaru::app {
namespace {

using tray::MenuId;

class FakePlatform : public StartupPlatform {
 public:
  std::vector<std::string> calls;
  settings::testing::FakeFiles files;
  std::vector<TrayAttempt> trayAttempts;  // consumed in order; then kCreated
  unsigned major = 6;
  bool endpoint = true;
  std::vector<FolderEntry> startupEntries;
  std::map<std::string, std::string> shortcutTargets;  // link path -> target

  std::string ExePath() override { return "C:\\Program Files\\Volmaru\\Volmaru.exe"; }
  std::string DocumentsFolder() override { return "C:\\Users\\u\\Documents"; }
  settings::FilePort& Files() override { return files; }
  void WrapWindowProcedure() override { calls.push_back("wrap"); }
  TrayAttempt TryCreateTrayIcon(const std::string& muteIconPath) override {
    calls.push_back("tray " + muteIconPath);
    if (trayAttempts.empty()) return TrayAttempt::kCreated;
    const TrayAttempt a = trayAttempts.front();
    trayAttempts.erase(trayAttempts.begin());
    return a;
  }
  int pausesBeforeClose = -1;  // the close request arrives during this pause; -1 = never
  bool Pause(uint32_t ms) override {
    calls.push_back("pause " + std::to_string(ms));
    return pausesBeforeClose < 0 || pausesBeforeClose-- > 0;
  }
  void InstallSilentErrorHandler() override { calls.push_back("silent"); }
  unsigned WindowsMajorVersion() override {
    calls.push_back("version");
    return major;
  }
  void DestroyMixer() override { calls.push_back("destroy mixer"); }
  int endpointFailures = 0;  // attempts that find no device before `endpoint` holds
  bool AcquireEndpointVolume() override {
    calls.push_back("endpoint");
    if (endpointFailures > 0) {
      --endpointFailures;
      return false;
    }
    return endpoint;
  }
  void ShowMessage(std::string_view text) override { calls.push_back("message " + std::string(text)); }
  void InstallHooks() override { calls.push_back("hooks"); }
  std::string StartupFolder() override { return "C:\\Users\\u\\Startup"; }
  std::vector<FolderEntry> ListFolder(const std::string&) override { return startupEntries; }
  std::string ResolveShortcutTarget(const std::string& link) override {
    const auto it = shortcutTargets.find(link);
    return it == shortcutTargets.end() ? std::string() : it->second;
  }
  settings::DateTimeFormat LocaleFormat() override { return settings::JapaneseDateTimeFormat(); }
  void EnumeratePlaybackDevices(MainWindowState&) override { calls.push_back("devices"); }
};

const std::string kData = "C:\\Users\\u\\Documents\\ミズナラ舎\\ボルマルData\\";
const std::string kMute = "tray C:\\Program Files\\Volmaru\\Data\\mute.ico";

TEST(StartupTest, EndpointPathRunsEveryStepInOrder) {
  FakePlatform p;
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(p.calls, (std::vector<std::string>{"wrap", kMute, "silent", "version", "destroy mixer", "endpoint", "hooks",
                                               "devices"}));
  EXPECT_EQ(s.ExeFolder, "C:\\Program Files\\Volmaru\\");
  EXPECT_EQ(s.DataFolder, kData);
  EXPECT_TRUE(p.files.dirs.count(kData.substr(0, kData.size() - 1)));
  EXPECT_TRUE(s.UseEndpointVolume);
  EXPECT_TRUE(s.StartupComplete);
  EXPECT_EQ(menu.item(MenuId::MenuOpenSound).caption, "コントロールパネルの「サウンド」を開く(&C)");
  EXPECT_EQ(menu.item(MenuId::MenuOpenVolumeCtrl).caption, "「音量ミキサー」を開く(&A)");
  EXPECT_TRUE(menu.item(MenuId::MenuGetAudioEndVol).enabled);
}

TEST(StartupTest, OlderWindowsUsesTheMixerAndDisablesTheEndpointItems) {
  FakePlatform p;
  p.major = 5;
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(p.calls, (std::vector<std::string>{"wrap", kMute, "silent", "version", "hooks"}));
  EXPECT_FALSE(s.UseEndpointVolume);
  EXPECT_EQ(menu.item(MenuId::MenuOpenSound).caption, "コントロールパネルの「サウンドとオーディオデバイス」を開く(&C)");
  EXPECT_EQ(menu.item(MenuId::MenuOpenVolumeCtrl).caption, "「ボリュームコントロール」を開く(&A)");
  for (MenuId id : {MenuId::MenuGetAudioEndVol, MenuId::MenuChangeDefAudioDevice, MenuId::MenuNoShowBalloonHint}) {
    EXPECT_FALSE(menu.item(id).enabled);
  }
  EXPECT_TRUE(menu.item(MenuId::MenuNoChangeByKey).enabled);
}

// No playback device at log-on: "Error" once, then the program waits in the
// tray and starts up completely when a device comes.
TEST(StartupTest, WithoutAPlaybackDeviceItSaysErrorOnceAndWaitsForOne) {
  FakePlatform p;
  p.endpointFailures = 3;
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(p.calls, (std::vector<std::string>{"wrap", kMute, "silent", "version", "destroy mixer", "endpoint",
                                               "message Error", "pause 2000", "endpoint", "pause 2000", "endpoint",
                                               "pause 2000", "endpoint", "hooks", "devices"}));
  EXPECT_TRUE(s.StartupComplete);
}

TEST(StartupTest, ClosedWhileWaitingForAPlaybackDeviceItEndsBeforeHooksAndSettings) {
  FakePlatform p;
  p.endpoint = false;
  p.pausesBeforeClose = 4;
  p.files.files[kData + "Settei.ini"] = "[KeyBoad]\r\nMainKey=3\r\n";
  MainWindowState s;
  tray::PopupMenuModel menu;
  EXPECT_FALSE(RunFormCreate(s, menu, p));
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "message Error"), 1) << "said once, however long it waits";
  EXPECT_EQ(std::count(p.calls.begin(), p.calls.end(), "endpoint"), 5);
  EXPECT_EQ(p.calls.back(), "pause 2000");
  EXPECT_FALSE(s.StartupComplete);
  EXPECT_EQ(p.files.files[kData + "Settei.ini"], "[KeyBoad]\r\nMainKey=3\r\n") << "settings step skipped";
}

TEST(StartupTest, WaitsForAVisibleTaskbarAndBacksOffAfterErrors) {
  FakePlatform p;
  using A = StartupPlatform::TrayAttempt;
  p.trayAttempts = {A::kNoVisibleTaskbar, A::kNoVisibleTaskbar, A::kError, A::kNoVisibleTaskbar};
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  const std::vector<std::string> head(p.calls.begin(), p.calls.begin() + 11);
  EXPECT_EQ(head, (std::vector<std::string>{"wrap", kMute, "pause 250", kMute, "pause 250", kMute, "pause 4000", kMute,
                                            "pause 250", kMute, "silent"}));
}

TEST(StartupTest, AClosedWindowEndsTheWaitForTheTaskbar) {
  FakePlatform p;
  using A = StartupPlatform::TrayAttempt;
  p.trayAttempts = std::vector<A>(50, A::kNoVisibleTaskbar);
  p.pausesBeforeClose = 2;
  p.files.files[kData + "Settei.ini"] = "[KeyBoad]\r\nMainKey=3\r\n";
  MainWindowState s;
  tray::PopupMenuModel menu;
  EXPECT_FALSE(RunFormCreate(s, menu, p));
  EXPECT_EQ(p.calls, (std::vector<std::string>{"wrap", kMute, "pause 250", kMute, "pause 250", kMute, "pause 250"}));
  EXPECT_FALSE(s.StartupComplete);
  EXPECT_EQ(p.files.files[kData + "Settei.ini"], "[KeyBoad]\r\nMainKey=3\r\n") << "nothing after the wait ran";
}

TEST(StartupTest, TheScheduleTableIsBuiltWhenTheScheduleIsInForce) {
  FakePlatform p;
  p.files.files[kData + "Settei.ini"] =
      "[Schedule]\r\nUse=1\r\nStartTime0=1899/12/30 22:00:00\r\nEndTime0=1899/12/30 6:00:00\r\nVolume0=-30\r\n";
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_TRUE(s.ScheduleRuntime.inUse);
  EXPECT_DOUBLE_EQ(s.ScheduleRuntime.slots[0][0].start, 22.0 / 24);
  EXPECT_DOUBLE_EQ(s.ScheduleRuntime.slots[0][1].end, 6.0 / 24) << "split at midnight";
  EXPECT_EQ(s.ScheduleRuntime.offsets[0][0], -30);
}

TEST(StartupTest, TemporaryFilesOfACrashedSaveAreRemoved) {
  FakePlatform p;
  p.files.files[kData + "Settei.ini"] = "[A]\r\nk=1\r\n";
  p.files.files[kData + "Settei.ini.new1234"] = "[A]\r\nk=";
  p.files.files[kData + "Volume.ico.new99"] = "x";
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(p.files.files.count(kData + "Settei.ini.new1234"), 0u);
  EXPECT_EQ(p.files.files.count(kData + "Volume.ico.new99"), 0u);
  EXPECT_EQ(p.files.files[kData + "Settei.ini"], "[A]\r\nk=1\r\n");
}

TEST(StartupTest, MissingSettingsFileGivesDefaultsAndWritesNothing) {
  FakePlatform p;
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(s.Keyboard, settings::KeyboardSettings{});
  EXPECT_EQ(s.TrayIconWaitTime, 500);
  EXPECT_FALSE(menu.item(MenuId::MenuNoChangeByKey).checked);
  EXPECT_EQ(p.files.writes, 0);
}

TEST(StartupTest, SettingsAreMigratedAndLoadedIntoStateAndMenu) {
  FakePlatform p;
  p.files.files[kData + "Settei.ini"] =
      "[KeyBoad]\r\nMainKey=3\r\n[NoChangeByKeyAndMouse]\r\nValue=1\r\n[NoShowBalloonHint]\r\nValue=1\r\n"
      "[TrayIconWaitTime]\r\nValue=800\r\n";
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_EQ(s.Keyboard.MainKey, (KeyBinding{18, "Alt"}));
  EXPECT_EQ(s.TrayIconWaitTime, 800);
  EXPECT_TRUE(menu.item(MenuId::MenuNoChangeByKey).checked);
  EXPECT_TRUE(menu.item(MenuId::MenuNoChangeByMouse).checked);
  EXPECT_TRUE(menu.item(MenuId::MenuNoShowBalloonHint).checked);
}

TEST(StartupTest, AReadOnlySettingsFileStillCompletesStartUp) {
  FakePlatform p;
  const std::string ini = kData + "Settei.ini";
  p.files.files[ini] = "[KeyBoad]\r\nMainKey=3\r\nVolumeChangeValue=7\r\n";
  p.files.readOnly.insert(ini);
  MainWindowState s;
  tray::PopupMenuModel menu;
  ASSERT_TRUE(RunFormCreate(s, menu, p));
  EXPECT_TRUE(s.StartupComplete);
  EXPECT_EQ(s.Keyboard.VolumeStep, 7);
}

struct ShortcutCase {
  const char* what;
  std::vector<FolderEntry> entries;
  std::map<std::string, std::string> targets;
  std::string expectedPath;
  std::string_view expectedCaption;
};

TEST(StartupTest, StartupShortcutDecidesTheMenuCaption) {
  const std::string exe = "C:\\Program Files\\Volmaru\\Volmaru.exe";
  const std::string folder = "C:\\Users\\u\\Startup\\";
  const std::vector<ShortcutCase> cases = {
      {"none", {}, {}, "", tray::kCaptionStartUpAdd},
      {"found",
       {{"Other.lnk"}, {"ボルマル.LNK"}},
       {{folder + "other.lnk", "C:\\x\\other.exe"},
        {folder + "ボルマル.lnk", "c:\\program files\\volmaru\\VOLMARU.EXE"}},
       folder + "ボルマル.lnk",
       tray::kCaptionStartUpRemove},
      {"copy elsewhere",
       {{"old.lnk"}},
       {{folder + "old.lnk", "D:\\Old\\Volmaru.exe"}},
       folder + "old.lnk",
       tray::kCaptionStartUpAdd},
      {"hidden, system and folders skipped",
       {{"h.lnk", false, true}, {"s.lnk", false, false, true}, {"d", true}},
       {{folder + "h.lnk", exe}, {folder + "s.lnk", exe}, {folder + "d", exe}},
       "",
       tray::kCaptionStartUpAdd},
  };
  for (const ShortcutCase& c : cases) {
    FakePlatform p;
    p.startupEntries = c.entries;
    p.shortcutTargets = c.targets;
    MainWindowState s;
    tray::PopupMenuModel menu;
    ASSERT_TRUE(RunFormCreate(s, menu, p));
    EXPECT_EQ(s.StartupShortcutPath, c.expectedPath) << c.what;
    EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, c.expectedCaption) << c.what;
  }
}

TEST(StartupTest, ResumeNoticeStampsOnlyAnAutomaticResume) {
  MainWindowState s;
  OnPowerBroadcast(s, 4, 1000);  // suspend
  EXPECT_EQ(s.ResumedAt, 0u);
  OnPowerBroadcast(s, 7, 1000);  // resume suspend (user)
  EXPECT_EQ(s.ResumedAt, 0u);
  OnPowerBroadcast(s, 18, 1234);
  EXPECT_EQ(s.ResumedAt, 1234u);
}

TEST(StartupTest, PathHelpers) {
  EXPECT_EQ(DataFolderFor("C:\\Docs\\"), "C:\\Docs\\ミズナラ舎\\ボルマルData\\");
  EXPECT_EQ(FileNameOf("C:\\a\\b.exe"), "b.exe");
  EXPECT_EQ(FolderOf("C:\\a\\b.exe"), "C:\\a\\");
}

}  // namespace
}  // namespace volmaru::app
