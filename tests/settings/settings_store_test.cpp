#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "tests/settings/fake_files.h"

namespace volmaru::settings {
namespace {

using testing::FakeFiles;

constexpr const char* kPath = "/docs/Settei.ini";

class SettingsStoreTest : public ::testing::Test {
 protected:
  FakeFiles fs;
  ProfileFile file{fs, kPath};
  SettingsStore store{file, JapaneseDateTimeFormat()};

  std::string& Text() { return fs.files[kPath]; }
};

TEST_F(SettingsStoreTest, NoFileGivesTheDocumentedDefaults) {
  const MainWindowSettings m = store.LoadMainWindow();
  EXPECT_TRUE(m.Keyboard.MainKeyOnly);
  EXPECT_EQ(m.Keyboard.VolumeStep, 3);
  EXPECT_EQ(m.Keyboard.MainKey, (KeyBinding{29, "無変換"}));
  EXPECT_EQ(m.Keyboard.VolumeUpKey, (KeyBinding{39, "→"}));
  EXPECT_EQ(m.Keyboard.VolumeDownKey, (KeyBinding{37, "←"}));
  EXPECT_EQ(m.Keyboard.MuteKey, (KeyBinding{40, "↓"}));
  EXPECT_EQ(m.Icon.Text, 0xFFFFFFu);
  EXPECT_EQ(m.Icon.Back, 0xFF0000u);
  EXPECT_TRUE(m.DeviceProfiles.empty());
  EXPECT_FALSE(m.WheelReverse);
  EXPECT_EQ(m.VolumeChangeWaitTime, 0);
  EXPECT_EQ(m.TrayIconWaitTime, 500);
  EXPECT_FALSE(m.NoChangeByKey || m.NoChangeByMouse || m.NoShowBalloonHint || m.ScheduleUse);
  for (const auto& group : m.Schedule) {
    for (const VolumeSchedule& band : group) EXPECT_FALSE(band.IsComplete());
  }
  const MeterSettings meter = store.LoadMeter();
  EXPECT_EQ(meter.Position, 0);
  EXPECT_EQ(meter.Color, 0x00FF00u);
  EXPECT_EQ(meter.ShowTime, 10);
  EXPECT_FALSE(meter.AllwaysShow);
  EXPECT_TRUE(meter.SavedVolumes.empty());
  const PageSettings pages = store.LoadPages();
  EXPECT_TRUE(pages.IsShowByPointIcon);
  for (bool visible : pages.VisibleMenuItems) EXPECT_TRUE(visible);
  EXPECT_EQ(fs.writes, 0) << "reading never creates the file";
}

TEST_F(SettingsStoreTest, AnEmptyFileReadsExactlyLikeNoFile) {
  const PageSettings none = store.LoadPages();
  Text() = "";
  const PageSettings empty = store.LoadPages();
  EXPECT_EQ(none.Keyboard, empty.Keyboard);
  EXPECT_EQ(none.Icon, empty.Icon);
  EXPECT_EQ(none.Schedule, empty.Schedule);
  EXPECT_EQ(none.VisibleMenuItems, empty.VisibleMenuItems);
  EXPECT_EQ(none.TrayIconWaitTime, empty.TrayIconWaitTime);
}

TEST_F(SettingsStoreTest, IntegersReadLikeTheOriginalProgram) {
  const struct {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"0x0A", 10},
      {"0X1f", 31},
      {"$FF", 255},
      {"-7", -7},
      {"-$10", -16},
      {"+8", 8},
      {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", 3},
      {"", 3},
      {"abc", 3},
      {"12abc", 3},
      {"0x", 3},
      {"1.5", 3},
      {"$", 3},
      {"$ff", 255},  // lower-case digits
      {"$a", 10},
      {"$1G", 3},         // not a hex digit
      {"$000000001", 1},  // leading zeros may make it longer than 8
      {"$0000000FF", 255},
      {"$123456789", 3},  // 9 significant digits do not fit
  };
  for (const auto& c : cases) {
    Text() = std::string("[KeyBoad]\r\nVolumeChangeValue=") + c.text + "\r\n";
    EXPECT_EQ(store.ReadInt(keys::VolumeChangeValue), c.expected) << "text: " << c.text;
  }
}

TEST_F(SettingsStoreTest, KeyNamesDoNotDependOnCase) {
  Text() = "[KeyBoad]\r\nMainkeyOnly=0\r\n";
  EXPECT_FALSE(store.LoadMainWindow().Keyboard.MainKeyOnly);
  EXPECT_FALSE(store.LoadPages().Keyboard.MainKeyOnly);
}

TEST_F(SettingsStoreTest, ABooleanOfTwoIsTrueAndIsSavedAsOne) {
  Text() = "[VolumeBar]\r\nIsShowByPointIcon=2\r\n";
  PageSettings pages = store.LoadPages();
  EXPECT_TRUE(pages.IsShowByPointIcon);
  store.SaveSettingsWindow(pages, {});
  EXPECT_EQ(file.Read("VolumeBar", "IsShowByPointIcon"), "1");
}

TEST_F(SettingsStoreTest, RangesAreNotCheckedWhenReading) {
  Text() = "[VolumeBar]\r\nShowTime=0\r\n[KeyBoad]\r\nVolumeChangeValue=500\r\n";
  EXPECT_EQ(store.LoadMeter().ShowTime, 0);
  EXPECT_EQ(store.LoadMainWindow().Keyboard.VolumeStep, 500);
}

TEST_F(SettingsStoreTest, ABandWithAMissingEndIsEmptyAndItsLeftoversGoAtTheNextSave) {
  Text() =
      "[Schedule]\r\nUse=1\r\nStartTime0=1899/12/30 7:30:00\r\nEndTime0=1899/12/30 9:00:00\r\nVolume0=-10\r\n"
      "StartTime1=1899/12/30 12:00:00\r\nVolume1=5\r\n";
  PageSettings pages = store.LoadPages();
  const VolumeSchedule& band0 = pages.Schedule[0][0];
  EXPECT_NEAR(band0.Start, 7.5 / 24, 1e-9);
  EXPECT_NEAR(band0.End, 9.0 / 24, 1e-9);
  EXPECT_EQ(band0.Offset, -10);
  EXPECT_FALSE(pages.Schedule[0][1].IsComplete());
  store.SaveSettingsWindow(pages, {});
  EXPECT_FALSE(file.HasKey("Schedule", "StartTime1"));
  EXPECT_FALSE(file.HasKey("Schedule", "Volume1"));
  EXPECT_EQ(file.Read("Schedule", "StartTime0"), "1899/12/30 7:30:00");
  EXPECT_EQ(file.Read("Schedule", "Volume0"), "-10");
}

TEST_F(SettingsStoreTest, ASaveWithTheScheduleOffLeavesTheBandsForLater) {
  Text() = "[Schedule]\r\nUse=1\r\nStartTime1=1899/12/30 12:00:00\r\n[Schedule3]\r\nVolume2=4\r\n";
  PageSettings pages = store.LoadPages();
  pages.ScheduleUse = false;
  store.SaveSettingsWindow(pages, {});
  EXPECT_EQ(file.Read("Schedule", "Use"), "0");
  EXPECT_EQ(file.Read("Schedule", "StartTime1"), "1899/12/30 12:00:00");
  EXPECT_EQ(file.Read("Schedule3", "Volume2"), "4");
}

TEST_F(SettingsStoreTest, MidnightIsWrittenAsTheDateAloneAndReadsBackAsZero) {
  TDefDeviceTrayIconData p;
  p.DeviceName = "スピーカー";
  p.ScheduleChangeTime = 0.0;
  store.SaveSettingsWindow(store.LoadPages(), {p});
  EXPECT_EQ(file.Read("DeviceIconData0", "ScheduleChangeTime"), "1899/12/30");
  const auto profiles = store.LoadMainWindow().DeviceProfiles;
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(profiles[0].ScheduleChangeTime, 0.0);
  EXPECT_EQ(profiles[0].DeviceName, "スピーカー");
}

TEST_F(SettingsStoreTest, TenProfilesAreReadUpToTheLastDigit) {
  Text() = "[Icon]\r\nDeviceIconDataCount=10\r\n";
  for (int i = 0; i < 10; ++i) {
    Text() += "[DeviceIconData" + std::to_string(i) + "]\r\nDeviceName=Dev" + std::to_string(i) + "\r\n";
  }
  const MainWindowSettings m = store.LoadMainWindow();
  ASSERT_EQ(m.DeviceProfiles.size(), 10u);
  EXPECT_EQ(m.DeviceProfiles[9].DeviceName, "Dev9");
}

TEST_F(SettingsStoreTest, ProfileCountLimitsWhatIsReadAndExtraSectionsStay) {
  Text() = "[Icon]\r\nColor=255\r\nBackColor=0\r\nDeviceIconDataCount=2\r\n";
  for (int i = 0; i < 5; ++i) {
    Text() += "[DeviceIconData" + std::to_string(i) + "]\r\nDeviceName=Dev" + std::to_string(i) + "\r\n";
  }
  Text() += "[DeviceIconData1]\r\nTextColor=7\r\n";  // duplicate: ignored
  const MainWindowSettings m = store.LoadMainWindow();
  ASSERT_EQ(m.DeviceProfiles.size(), 2u);
  EXPECT_EQ(m.DeviceProfiles[1].DeviceName, "Dev1");
  // Colours missing in a profile come from the [Icon] colours.
  EXPECT_EQ(m.DeviceProfiles[1].TextColor, 255u);
  EXPECT_EQ(m.DeviceProfiles[1].BackColor, 0u);
  EXPECT_TRUE(m.DeviceProfiles[1].IsShowOnMenu);
  EXPECT_EQ(m.DeviceProfiles[1].NormalVolume, 50);
  EXPECT_EQ(m.DeviceProfiles[1].VolumeBarColor, 0x00FF00u);
  store.SaveSettingsWindow(store.LoadPages(), m.DeviceProfiles);
  for (int i = 2; i < 5; ++i) {
    EXPECT_EQ(file.Read("DeviceIconData" + std::to_string(i), "DeviceName"), "Dev" + std::to_string(i));
  }
  EXPECT_EQ(file.Keys("DeviceIconData0").size(), 8u);
}

TEST_F(SettingsStoreTest, MigrationOfTheLegacyMainKey) {
  Text() = "; hand note\r\n[KeyBoad]\r\nMainKey=3\r\nVolumeChangeValue=5\r\n[Icon]\r\nColor=1\r\n";
  store.RunMigrations();
  EXPECT_EQ(Text(),
            "; hand note\r\n[KeyBoad]\r\nVolumeChangeValue=5\r\nMainKeyCode=18\r\nMainKeyName=Alt\r\n"
            "[Icon]\r\nColor=1\r\n");
  EXPECT_EQ(store.LoadMainWindow().Keyboard.MainKey, (KeyBinding{18, "Alt"}));

  Text() = "[KeyBoad]\r\nMainKey=9\r\n";
  store.RunMigrations();
  EXPECT_EQ(Text(), "[KeyBoad]\r\n");
  EXPECT_EQ(store.LoadMainWindow().Keyboard.MainKey, (KeyBinding{29, "無変換"}));

  // Every entry of the old list.
  const KeyBinding old[] = {
      {29, "無変換"},          {28, "変換"}, {17, "Ctrl"}, {18, "Alt"}, {91, "Left Windows"}, {92, "Right Windows"},
      {93, "アプリケーション"}};
  for (int index = 0; index < 7; ++index) {
    Text() = "[KeyBoad]\r\nMainKeyCode=40\r\nMainKey=" + std::to_string(index) + "\r\n";
    store.RunMigrations();
    EXPECT_EQ(store.LoadMainWindow().Keyboard.MainKey, old[index]) << "MainKey=" << index;
  }
}

TEST_F(SettingsStoreTest, MigrationSplitsNoChangeByKeyAndMouse) {
  Text() = "[NoChangeByKeyAndMouse]\r\nValue=1\r\n[NoChangeByKey]\r\nValue=0\r\n";
  store.RunMigrations();
  EXPECT_FALSE(file.HasSection("NoChangeByKeyAndMouse"));
  const MainWindowSettings m = store.LoadMainWindow();
  EXPECT_TRUE(m.NoChangeByKey);
  EXPECT_TRUE(m.NoChangeByMouse);
}

TEST_F(SettingsStoreTest, MigrationDropsAnOldLayoutScheduleWhole) {
  Text() =
      "[Schedule]\r\nUse=1\r\nNormalVolume=40\r\n[Schedule1]\r\nVolume0=3\r\n[Keep]\r\nk=1\r\n"
      "[Schedule7]\r\nVolume0=3\r\n";
  store.RunMigrations();
  EXPECT_EQ(Text(), "[Keep]\r\nk=1\r\n");
  EXPECT_FALSE(store.LoadMainWindow().ScheduleUse);
  // A current-layout schedule is left alone.
  Text() = "[Schedule]\r\nUse=1\r\n";
  store.RunMigrations();
  EXPECT_EQ(Text(), "[Schedule]\r\nUse=1\r\n");
}

TEST_F(SettingsStoreTest, ANewFileHasItsSectionsInTheSaveOrderAndMeterColourLast) {
  PageSettings pages = store.LoadPages();
  pages.ScheduleUse = true;
  pages.Schedule[2][1] = {0.25, 0.5, 7};
  TDefDeviceTrayIconData dev;
  dev.DeviceName = "HDMI";
  store.SaveSettingsWindow(pages, {dev});
  std::vector<std::string> sections;
  for (size_t start = 0; start < Text().size();) {
    const size_t end = Text().find("\r\n", start);
    const std::string line = Text().substr(start, end - start);
    if (line.front() == '[') sections.push_back(line.substr(1, line.size() - 2));
    start = end + 2;
  }
  EXPECT_EQ(sections, (std::vector<std::string>{"VolumeBar", "KeyBoad", "Icon", "VisibleMenuItems", "DeviceIconData0",
                                                "WheelHokoChange", "VolumeChangeWaitTime", "TrayIconWaitTime",
                                                "NoChangeByKey", "NoChangeByMouse", "Schedule", "Schedule2"}));
  EXPECT_EQ(file.Keys("VolumeBar").back(), "Color");
  EXPECT_EQ(file.Keys("Icon").back(), "DeviceIconDataCount");
  EXPECT_EQ(file.Read("Schedule2", "StartTime1"), "1899/12/30 6:00:00");
  EXPECT_EQ(file.Read("Schedule2", "EndTime1"), "1899/12/30 12:00:00");
  // A full save (37 keys, 8 for the profile, 3 for the one band) reads the
  // file once and replaces it once.
  EXPECT_EQ(fs.writes, 1);
}

TEST_F(SettingsStoreTest, AFullSaveReadsOnceAndWritesOnce) {
  Text() = "[Schedule1]\r\nStartTime0=1899/12/30 7:00:00\r\nEndTime0=1899/12/30 8:00:00\r\nVolume0=5\r\n";
  PageSettings pages = store.LoadPages();
  pages.ScheduleUse = true;
  pages.Schedule[1][0] = {};  // emptied: its three keys are deleted in the same save
  fs.reads = fs.writes = 0;
  store.SaveSettingsWindow(pages, {TDefDeviceTrayIconData{}, TDefDeviceTrayIconData{}});
  EXPECT_EQ(fs.reads, 1);
  EXPECT_EQ(fs.writes, 1);
  EXPECT_FALSE(file.HasKey("Schedule1", "StartTime0"));
  EXPECT_EQ(file.Read("Icon", "DeviceIconDataCount"), "2");
}

TEST_F(SettingsStoreTest, AFailedSaveWritesNothingAtAll) {
  const std::string before = "; mine\r\n[VolumeBar]\r\nPosition=1\r\n";
  Text() = before;
  fs.failAllWrites = true;
  PageSettings pages = store.LoadPages();
  pages.Position = 2;
  pages.ShowTime = 20;
  EXPECT_THROW(store.SaveSettingsWindow(pages, {}), SettingsWriteError);
  EXPECT_EQ(Text(), before) << "no key of the failed save reached the file";
  fs.failAllWrites = false;
  // The store is usable again after the failure: the next save goes through.
  store.SaveSettingsWindow(pages, {});
  EXPECT_EQ(file.Read("VolumeBar", "Position"), "2");
}

TEST_F(SettingsStoreTest, EachDirectWriterIsOneReplacementOfTheFile) {
  Text() = "[SavedVolume]\r\nCount=3\r\n0=5\r\n1=20\r\n2=100\r\n";
  fs.writes = 0;
  store.RewriteSavedVolumes({100, 5});
  EXPECT_EQ(fs.writes, 1) << "erase and rewrite in one go";
  EXPECT_EQ(Text(), "[SavedVolume]\r\n0=100\r\n1=5\r\nCount=2\r\n");
  store.AddSavedVolume(2, 7);
  store.WriteMeterPosition(1, {10, 20});
  store.WriteVersionWindowSize(1, 2);
  EXPECT_EQ(fs.writes, 4);
  fs.failAllWrites = true;
  EXPECT_THROW(store.RewriteSavedVolumes({}), SettingsWriteError);
  EXPECT_EQ(file.Read("SavedVolume", "Count"), "3") << "the erase did not happen alone";
}

TEST_F(SettingsStoreTest, EveryMeterPlaceIsLoaded) {
  for (int place = 0; place < kMeterPlaces; ++place) store.WriteMeterPosition(place, {10 + place, 20 + place});
  const MeterSettings meter = store.LoadMeter();
  for (int place = 0; place < kMeterPlaces; ++place) {
    EXPECT_EQ(meter.Places[static_cast<size_t>(place)], (MeterPosition{10 + place, 20 + place})) << place;
  }
}

TEST_F(SettingsStoreTest, LoadsReadTheFileOnce) {
  Text() = "[VolumeBar]\r\nShowTime=4\r\n";
  fs.reads = 0;
  (void)store.LoadMainWindow();
  EXPECT_EQ(fs.reads, 1);
  (void)store.LoadMeter();
  (void)store.LoadPages();
  EXPECT_EQ(fs.reads, 3);
}

TEST_F(SettingsStoreTest, MigrationsAreOneTransaction) {
  Text() = "[KeyBoad]\r\nMainKey=3\r\n[NoChangeByKeyAndMouse]\r\nValue=1\r\n";
  const std::string before = Text();
  fs.failAllWrites = true;
  EXPECT_THROW(store.RunMigrations(), SettingsWriteError);
  EXPECT_EQ(Text(), before);
  fs.failAllWrites = false;
  fs.writes = 0;
  store.RunMigrations();
  EXPECT_EQ(fs.writes, 1);
  EXPECT_EQ(Text(),
            "[KeyBoad]\r\nMainKeyCode=18\r\nMainKeyName=Alt\r\n[NoChangeByKey]\r\nValue=1\r\n"
            "[NoChangeByMouse]\r\nValue=1\r\n");
}

TEST_F(SettingsStoreTest, DirectWritersTouchOnlyTheirKeys) {
  Text() = "[VolumeBar]\r\nPosition=3\r\n";
  store.WriteToggle(SettingsStore::Toggle::kNoChangeByKey, true);
  store.WriteToggle(SettingsStore::Toggle::kNoShowBalloonHint, true);
  store.WriteMeterPosition(3, {100, 200});
  store.WriteVersionWindowSize(400, 300);
  EXPECT_EQ(Text(),
            "[VolumeBar]\r\nPosition=3\r\n[NoChangeByKey]\r\nValue=1\r\n[NoShowBalloonHint]\r\nValue=1\r\n"
            "[FormPosX]\r\n3=100\r\n[FormPosY]\r\n3=200\r\n[VersionForm]\r\nWidth=400\r\nHeight=300\r\n");
  const MeterSettings meter = store.LoadMeter();
  EXPECT_EQ(meter.Places[3], (MeterPosition{100, 200}));
  EXPECT_FALSE(meter.Places[0].IsSet());
  EXPECT_EQ(store.ReadVersionWindowSize(10, 20), std::make_pair(400, 300));
}

TEST_F(SettingsStoreTest, VersionWindowSizeIsTheDesignSizeWithoutAFile) {
  EXPECT_EQ(store.ReadVersionWindowSize(321, 123), std::make_pair(321, 123));
  Text() = "[Other]\r\n";
  EXPECT_EQ(store.ReadVersionWindowSize(321, 123), std::make_pair(321, 123));
}

TEST_F(SettingsStoreTest, SavedVolumesAddAndRewrite) {
  store.AddSavedVolume(0, 30);
  store.AddSavedVolume(1, 70);
  EXPECT_EQ(store.LoadMeter().SavedVolumes, (std::vector<int>{30, 70}));
  Text() += "[SavedVolume]\r\n5=99\r\n";  // a stray duplicate section
  store.RewriteSavedVolumes({70});
  EXPECT_EQ(store.LoadMeter().SavedVolumes, (std::vector<int>{70}));
  EXPECT_EQ(file.Keys("SavedVolume"), (std::vector<std::string>{"0", "Count"}));
  Text() = "[SavedVolume]\r\nCount=3\r\n0=10\r\n2=-1\r\n";
  EXPECT_EQ(store.LoadMeter().SavedVolumes, (std::vector<int>{10, -1, -1}));
}

TEST_F(SettingsStoreTest, SavedVolumeCountIsBounded) {
  Text() = "[SavedVolume]\r\nCount=-7\r\n0=10\r\n";
  EXPECT_TRUE(store.LoadMeter().SavedVolumes.empty());
  // Far more than the keys present: the missing ones are blank entries, and
  // no more than kMaxSavedVolumes of them.
  Text() = "[SavedVolume]\r\nCount=2147483647\r\n0=10\r\n1=250\r\n";
  std::vector<int> saved = store.LoadMeter().SavedVolumes;
  ASSERT_EQ(saved.size(), static_cast<size_t>(kMaxSavedVolumes));
  EXPECT_EQ(saved[0], 10);
  EXPECT_EQ(saved[1], 250);  // out of range, loaded as it is
  EXPECT_EQ(saved[2], -1);
  EXPECT_EQ(saved.back(), -1);
  Text() = "[SavedVolume]\r\nCount=1001\r\n";
  EXPECT_EQ(store.LoadMeter().SavedVolumes.size(), 1000u);
  Text() = "[SavedVolume]\r\nCount=1000\r\n999=7\r\n";
  saved = store.LoadMeter().SavedVolumes;
  ASSERT_EQ(saved.size(), 1000u);
  EXPECT_EQ(saved.back(), 7);
  Text() = "[SavedVolume]\r\nCount=99999999999\r\n0=10\r\n";  // not a 32-bit number: the default 0
  EXPECT_TRUE(store.LoadMeter().SavedVolumes.empty());
}

}  // namespace
}  // namespace volmaru::settings

namespace volmaru::settings {
namespace {

// The whole file as a save writes it, byte for byte: key names, their order
// ("DeviceIconDataCount" before the device sections, the meter colour last),
// the value forms; then every field read back.
TEST(SettingsGoldenFileTest, AFullSaveWritesExactlyThisFileAndReadsBackEveryValue) {
  testing::FakeFiles fs;
  ProfileFile file(fs, "/g/Settei.ini");
  SettingsStore store(file, JapaneseDateTimeFormat());
  PageSettings p;
  p.Position = 3;
  p.ColorByIconColor = 2;
  p.ChangeColorByDevice = true;
  p.AllwaysShow = true;
  p.ShowTime = 25;
  p.IsShowByPointIcon = false;
  p.IsNoShowPanelSetVolume = true;
  p.MeterColor = 0x123456;
  p.Keyboard.MainKeyOnly = false;
  p.Keyboard.VolumeStep = 7;
  p.Keyboard.MainKey = {18, ""};  // an empty name reads back empty, not as the default
  p.Keyboard.VolumeUpKey = {36, "Home"};
  p.Keyboard.VolumeDownKey = {35, "End"};
  p.Keyboard.MuteKey = {45, "Ins"};
  p.Icon = {0x00FFFF, 0x800080};
  p.UseDefAudioDeviceIcon = true;
  p.ChangeIconColorByDevice = true;
  p.VisibleMenuItems = {false, true, false, true, false, true, false, true};
  p.WheelReverse = true;
  p.VolumeChangeWaitTime = 250;
  p.TrayIconWaitTime = 1500;
  p.NoChangeByKey = true;
  p.NoChangeByMouse = true;
  p.ScheduleUse = true;
  p.Schedule[0][2] = {22.0 / 24, 6.0 / 24, -30};
  p.Schedule[2][0] = {8.0 / 24, 9.0 / 24 + 30.0 / 1440, 20};
  std::vector<TDefDeviceTrayIconData> devices(2);
  devices[0].DeviceName = "スピーカー";
  devices[0].TextColor = 1;
  devices[0].BackColor = 2;
  devices[0].IsScheduleChange = true;
  devices[0].ScheduleChangeTime = 7.5 / 24;
  devices[0].IsShowOnMenu = false;
  devices[0].VolumeBarColor = 3;
  devices[0].NormalVolume = 60;
  devices[1].DeviceName = "HDMI";
  devices[1].TextColor = 0x00FFFF;
  devices[1].BackColor = 0x800080;
  devices[1].NormalVolume = 0;
  store.SaveSettingsWindow(p, devices);

  const std::string expected =
      "[VolumeBar]\r\nPosition=3\r\nColorByIconColor=2\r\nChangeColorByDevice=1\r\nAllwaysShow=1\r\nShowTime=25\r\n"
      "IsShowByPointIcon=0\r\nIsNoShowPanelSetVolume=1\r\nColor=1193046\r\n"
      "[KeyBoad]\r\nMainKeyOnly=0\r\nVolumeChangeValue=7\r\nMainKeyCode=18\r\nMainKeyName=\r\nVolumeUpKeyCode=36\r\n"
      "VolumeUpKeyName=Home\r\nVolumeDownKeyCode=35\r\nVolumeDownKeyName=End\r\nMuteKeyCode=45\r\nMuteKeyName=Ins\r\n"
      "[Icon]\r\nColor=65535\r\nBackColor=8388736\r\nUseDefAudioDeviceIcon=1\r\nChangeIconColorByDevice=1\r\n"
      "DeviceIconDataCount=2\r\n"
      "[VisibleMenuItems]\r\nValue0=0\r\nValue1=1\r\nValue2=0\r\nValue3=1\r\nValue4=0\r\nValue5=1\r\nValue6=0\r\n"
      "Value7=1\r\n"
      "[DeviceIconData0]\r\nDeviceName=\x83X\x83s\x81[\x83J\x81[\r\nTextColor=1\r\nBackColor=2\r\n"
      "IsScheduleChange=1\r\nScheduleChangeTime=1899/12/30 7:30:00\r\nIsShowOnMenu=0\r\nVolumeBarColor=3\r\n"
      "NormalVolume=60\r\n"
      "[DeviceIconData1]\r\nDeviceName=HDMI\r\nTextColor=65535\r\nBackColor=8388736\r\nIsScheduleChange=0\r\n"
      "ScheduleChangeTime=1899/12/30\r\nIsShowOnMenu=1\r\nVolumeBarColor=65280\r\nNormalVolume=0\r\n"
      "[WheelHokoChange]\r\nValue=1\r\n[VolumeChangeWaitTime]\r\nValue=250\r\n[TrayIconWaitTime]\r\nValue=1500\r\n"
      "[NoChangeByKey]\r\nValue=1\r\n[NoChangeByMouse]\r\nValue=1\r\n"
      "[Schedule]\r\nUse=1\r\nStartTime2=1899/12/30 22:00:00\r\nEndTime2=1899/12/30 6:00:00\r\nVolume2=-30\r\n"
      "[Schedule2]\r\nStartTime0=1899/12/30 8:00:00\r\nEndTime0=1899/12/30 9:30:00\r\nVolume0=20\r\n";
  EXPECT_EQ(fs.files["/g/Settei.ini"], expected);

  const PageSettings back = store.LoadPages();
  EXPECT_EQ(back.Position, 3);
  EXPECT_EQ(back.ColorByIconColor, 2);
  EXPECT_TRUE(back.ChangeColorByDevice);
  EXPECT_TRUE(back.AllwaysShow);
  EXPECT_EQ(back.ShowTime, 25);
  EXPECT_FALSE(back.IsShowByPointIcon);
  EXPECT_TRUE(back.IsNoShowPanelSetVolume);
  EXPECT_EQ(back.MeterColor, 0x123456u);
  EXPECT_EQ(back.Keyboard, p.Keyboard);
  EXPECT_EQ(back.Keyboard.MainKey.name, "");
  EXPECT_EQ(back.Icon, p.Icon);
  EXPECT_TRUE(back.UseDefAudioDeviceIcon);
  EXPECT_TRUE(back.ChangeIconColorByDevice);
  EXPECT_EQ(back.VisibleMenuItems, p.VisibleMenuItems);
  EXPECT_TRUE(back.WheelReverse);
  EXPECT_EQ(back.VolumeChangeWaitTime, 250);
  EXPECT_EQ(back.TrayIconWaitTime, 1500);
  EXPECT_TRUE(back.NoChangeByKey);
  EXPECT_TRUE(back.NoChangeByMouse);
  EXPECT_TRUE(back.ScheduleUse);
  EXPECT_EQ(back.Schedule, p.Schedule);

  const MainWindowSettings main = store.LoadMainWindow();
  ASSERT_EQ(main.DeviceProfiles.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const TDefDeviceTrayIconData& a = main.DeviceProfiles[i];
    const TDefDeviceTrayIconData& b = devices[i];
    EXPECT_EQ(a.DeviceName, b.DeviceName) << i;
    EXPECT_EQ(a.TextColor, b.TextColor) << i;
    EXPECT_EQ(a.BackColor, b.BackColor) << i;
    EXPECT_EQ(a.IsScheduleChange, b.IsScheduleChange) << i;
    EXPECT_NEAR(a.ScheduleChangeTime, b.ScheduleChangeTime, 1e-9) << i;
    EXPECT_EQ(a.IsShowOnMenu, b.IsShowOnMenu) << i;
    EXPECT_EQ(a.VolumeBarColor, b.VolumeBarColor) << i;
    EXPECT_EQ(a.NormalVolume, b.NormalVolume) << i;
  }
  const MeterSettings meter = store.LoadMeter();
  EXPECT_EQ(meter.Position, 3);
  EXPECT_TRUE(meter.AllwaysShow);
  EXPECT_EQ(meter.ShowTime, 25);
  EXPECT_TRUE(meter.IsNoShowPanelSetVolume);
  EXPECT_EQ(meter.Color, 0x123456u);
}

// The defaults no other test fixes: what a missing key gives for the meter
// box, the colour sources, the device switches, a bare device section and
// the version window.
TEST(SettingsGoldenFileTest, DefaultsOfKeysThatAreMissing) {
  testing::FakeFiles fs;
  fs.files["/g/Settei.ini"] =
      "[Icon]\r\nColor=255\r\nBackColor=65535\r\nDeviceIconDataCount=1\r\n"
      "[DeviceIconData0]\r\nDeviceName=\r\n[VersionForm]\r\n";
  ProfileFile file(fs, "/g/Settei.ini");
  SettingsStore store(file, JapaneseDateTimeFormat());
  const PageSettings pages = store.LoadPages();
  EXPECT_EQ(pages.ColorByIconColor, 0);
  EXPECT_FALSE(pages.ChangeColorByDevice);
  EXPECT_FALSE(pages.IsNoShowPanelSetVolume);
  EXPECT_FALSE(pages.UseDefAudioDeviceIcon);
  EXPECT_FALSE(pages.ChangeIconColorByDevice);
  EXPECT_EQ(pages.MeterColor, 0x00FF00u);
  const MainWindowSettings main = store.LoadMainWindow();
  ASSERT_EQ(main.DeviceProfiles.size(), 1u);
  const TDefDeviceTrayIconData& d = main.DeviceProfiles[0];
  EXPECT_EQ(d.DeviceName, "");
  EXPECT_EQ(d.TextColor, 255u) << "the icon's number colour";
  EXPECT_EQ(d.BackColor, 65535u) << "the icon's background colour";
  EXPECT_FALSE(d.IsScheduleChange);
  EXPECT_EQ(d.ScheduleChangeTime, 0.0);
  EXPECT_TRUE(d.IsShowOnMenu);
  EXPECT_EQ(d.VolumeBarColor, 65280u);
  EXPECT_EQ(d.NormalVolume, 50);
  const MeterSettings meter = store.LoadMeter();
  EXPECT_FALSE(meter.IsNoShowPanelSetVolume);
  for (const MeterPosition& place : meter.Places) EXPECT_FALSE(place.IsSet());
  EXPECT_EQ(store.ReadVersionWindowSize(344, 127), std::make_pair(344, 127));
}

}  // namespace
}  // namespace volmaru::settings
