#include "devices/device_list.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "tests/devices/fake_device_platform.h"
#include "tests/devices/fake_device_window.h"
#include "tests/settings/fake_files.h"

namespace volmaru::devices {
namespace {

using testing::FakeDevicePlatform;
using testing::FakeDeviceWindow;
using testing::FakeEndpoint;

constexpr const char* kPath = "/docs/Settei.ini";

// A main window with three devices; the settings file is real text read
// through the store.
struct Rig {
  app::MainWindowState s;
  FakeDevicePlatform platform;
  FakeDeviceWindow window;
  settings::testing::FakeFiles fs;
  settings::ProfileFile file{fs, kPath};
  settings::SettingsStore store{file, settings::JapaneseDateTimeFormat()};

  Rig() {
    window.store = &store;
    platform.endpoints = {{"{id-spk}", "Speakers", ""}, {"{id-hdmi}", "HDMI", ""}, {"{id-usb}", "USB Headset", ""}};
    platform.defaultId = "{id-hdmi}";
  }
  void Settei(const std::string& utf8) { fs.files[kPath] = Utf8ToCp932(utf8); }
  void Enumerate() { EnumeratePlaybackDevices(s, platform, window); }
  const TDefDeviceTrayIconData& Profile(std::string_view name) {
    for (const auto& p : s.DeviceProfiles) {
      if (p.DeviceName == name) return p;
    }
    throw std::runtime_error("no profile " + std::string(name));
  }
};

TDefDeviceTrayIconData Record(std::string name) {
  TDefDeviceTrayIconData r;
  r.DeviceName = std::move(name);
  return r;
}

// --- carry-over of the records --------------------------------------------

TEST(DeviceCarryOverTest, MemoryAndFileEachDecideTheirFieldsAndTheFileAlwaysGivesTheNormalVolume) {
  Rig r;
  // Memory: colours set, schedule time set, schedule flag on, menu flag off.
  TDefDeviceTrayIconData a = Record("Speakers");
  a.TextColor = 0x111111;
  a.BackColor = 0x222222;
  a.VolumeBarColor = 0x333333;
  a.ScheduleChangeTime = 0.25;
  a.IsScheduleChange = true;
  a.IsShowOnMenu = false;
  a.NormalVolume = 70;
  // Memory: the open values (time 0, flag off, menu on).
  TDefDeviceTrayIconData b = Record("HDMI");
  b.TextColor = 0x444444;
  b.NormalVolume = 80;
  r.s.DeviceProfiles = {a, b};
  r.Settei(
      "[Icon]\nDeviceIconDataCount=2\n"
      "[DeviceIconData0]\nDeviceName=Speakers\nTextColor=1\nBackColor=2\nVolumeBarColor=3\n"
      "ScheduleChangeTime=1899/12/30 12:00:00\nIsScheduleChange=0\nIsShowOnMenu=1\nNormalVolume=30\n"
      "[DeviceIconData1]\nDeviceName=HDMI\nTextColor=5\nScheduleChangeTime=1899/12/30 6:00:00\n"
      "IsScheduleChange=1\nIsShowOnMenu=0\nNormalVolume=20\n");
  r.Enumerate();

  const auto& spk = r.Profile("Speakers");
  EXPECT_EQ(spk.TextColor, 0x111111u);
  EXPECT_EQ(spk.BackColor, 0x222222u);
  EXPECT_EQ(spk.VolumeBarColor, 0x333333u);
  EXPECT_EQ(spk.ScheduleChangeTime, 0.25);
  EXPECT_TRUE(spk.IsScheduleChange);
  EXPECT_FALSE(spk.IsShowOnMenu) << "memory's hidden device stays hidden although the file shows it";
  EXPECT_EQ(spk.NormalVolume, 30) << "an unsaved normal volume gets the file's value back";

  const auto& hdmi = r.Profile("HDMI");
  EXPECT_EQ(hdmi.TextColor, 0x444444u);
  EXPECT_EQ(hdmi.ScheduleChangeTime, 0.25) << "a time of 0 in memory comes from the file";
  EXPECT_TRUE(hdmi.IsScheduleChange) << "a flag that is off in memory comes from the file";
  EXPECT_FALSE(hdmi.IsShowOnMenu) << "the file hides a device memory shows";
  EXPECT_EQ(hdmi.NormalVolume, 20);
  EXPECT_EQ(r.fs.writes, 0) << "the enumeration never writes the file";
}

TEST(DeviceCarryOverTest, WithoutASectionMemoryKeepsEverythingIncludingTheNormalVolume) {
  Rig r;
  TDefDeviceTrayIconData a = Record("Speakers");
  a.NormalVolume = 70;
  a.BackColor = 0xFFFFFFFF;  // a colour that happens to be all ones is still a colour
  r.s.DeviceProfiles = {a};
  r.Settei("[Icon]\nDeviceIconDataCount=1\n[DeviceIconData0]\nDeviceName=Other\nNormalVolume=10\nBackColor=7\n");
  r.Enumerate();
  EXPECT_EQ(r.Profile("Speakers").NormalVolume, 70);
  EXPECT_EQ(r.Profile("Speakers").BackColor, 0xFFFFFFFFu);
}

TEST(DeviceCarryOverTest, ADeviceOnlyInTheFileTakesItsSectionWithMissingColoursFromTheGlobalOnes) {
  Rig r;
  r.s.IconColours = {0x0000AA, 0x00BB00};
  r.Settei(
      "[Icon]\nColor=99\nDeviceIconDataCount=1\n"
      "[DeviceIconData0]\nDeviceName=USB Headset\nBackColor=255\nVolumeBarColor=16711680\nNormalVolume=65\n");
  r.Enumerate();
  const auto& usb = r.Profile("USB Headset");
  EXPECT_EQ(usb.TextColor, 0x0000AAu) << "the colours the main window holds, not the file's [Icon] key";
  EXPECT_EQ(usb.BackColor, 255u);
  EXPECT_EQ(usb.VolumeBarColor, 0xFF0000u);
  EXPECT_EQ(usb.NormalVolume, 65);
  EXPECT_TRUE(usb.IsShowOnMenu);
}

TEST(DeviceCarryOverTest, ANewDeviceGetsTheDefaults) {
  Rig r;  // no file at all: only memory could give values
  r.s.IconColours = {0x123456, 0x654321};
  r.Enumerate();
  const auto& spk = r.Profile("Speakers");
  EXPECT_EQ(spk.TextColor, 0x123456u);
  EXPECT_EQ(spk.BackColor, 0x654321u);
  EXPECT_EQ(spk.VolumeBarColor, 0x00FF00u);
  EXPECT_EQ(spk.NormalVolume, 50);
  EXPECT_TRUE(spk.IsShowOnMenu);
  EXPECT_FALSE(spk.IsScheduleChange);
  EXPECT_EQ(spk.ScheduleChangeTime, 0.0);
}

TEST(DeviceCarryOverTest, TwoDevicesOfOneNameBothTakeTheFirstRecordInMemoryAndInTheFile) {
  Rig r;
  r.platform.endpoints = {{"{a}", "Speakers", ""}, {"{b}", "Speakers", ""}};
  r.platform.defaultId = "{a}";
  TDefDeviceTrayIconData first = Record("Speakers");
  first.TextColor = 1;
  TDefDeviceTrayIconData second = Record("Speakers");
  second.TextColor = 2;
  r.s.DeviceProfiles = {first, second};
  r.Settei(
      "[Icon]\nDeviceIconDataCount=2\n"
      "[DeviceIconData0]\nDeviceName=Speakers\nNormalVolume=11\n"
      "[DeviceIconData1]\nDeviceName=Speakers\nNormalVolume=22\n");
  r.Enumerate();
  ASSERT_EQ(r.s.DeviceProfiles.size(), 2u);
  for (const auto& p : r.s.DeviceProfiles) {
    EXPECT_EQ(p.TextColor, 1u);
    EXPECT_EQ(p.NormalVolume, 11);
  }
}

TEST(DeviceCarryOverTest, NamesMatchExactlyInMemoryAndInCodePage932InTheFile) {
  Rig r;
  // Two devices whose names differ only in characters code page 932 lacks.
  r.platform.endpoints = {{"{a}", "Haut-parleur é", ""}, {"{b}", "Haut-parleur è", ""}, {"{c}", "speakers", ""}};
  r.platform.defaultId = "{b}";
  TDefDeviceTrayIconData e = Record("Haut-parleur é");
  e.TextColor = 0xE;
  TDefDeviceTrayIconData upper = Record("Speakers");
  upper.TextColor = 0x5;
  r.s.DeviceProfiles = {e, upper};
  // Saved under code page 932 the two names became one.
  r.Settei("[Icon]\nDeviceIconDataCount=1\n[DeviceIconData0]\nDeviceName=Haut-parleur ?\nNormalVolume=33\n");
  r.Enumerate();
  ASSERT_EQ(r.s.DeviceNames, (std::vector<std::string>{"Haut-parleur é", "Haut-parleur è", "speakers"}));
  EXPECT_EQ(r.s.DefaultDeviceName, "Haut-parleur è") << "the two stay apart in memory";
  EXPECT_EQ(r.s.DeviceProfiles[0].TextColor, 0xEu);
  EXPECT_NE(r.s.DeviceProfiles[1].TextColor, 0xEu) << "the other device does not take é's record";
  EXPECT_EQ(r.s.DeviceProfiles[0].NormalVolume, 33);
  EXPECT_EQ(r.s.DeviceProfiles[1].NormalVolume, 33) << "both share the section they are saved under";
  EXPECT_NE(r.s.DeviceProfiles[2].TextColor, 0x5u) << "case counts";
  EXPECT_EQ(r.s.DeviceProfiles[2].NormalVolume, 50);
}

// --- the enumeration --------------------------------------------------------

TEST(EnumerationTest, ListsEveryDeviceInThePlatformsOrderAndKnowsTheDefault) {
  Rig r;
  r.platform.endpoints[1].IconPath = "%SystemRoot%\\System32\\hdmi.dll,-7";
  r.platform.env["SystemRoot"] = "C:\\Windows";
  r.s.DeviceProfiles = {Record("Unplugged"), Record("HDMI")};
  r.Enumerate();
  EXPECT_EQ(r.s.DeviceIDs, (std::vector<std::string>{"{id-spk}", "{id-hdmi}", "{id-usb}"}));
  EXPECT_EQ(r.s.DeviceNames, (std::vector<std::string>{"Speakers", "HDMI", "USB Headset"}));
  ASSERT_EQ(r.s.DeviceMenuItems.size(), 3u);
  const char* captions[] = {"　Speakers(&0)", "　HDMI(&1)", "　USB Headset(&2)"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r.s.DeviceMenuItems[i].Caption, captions[i]);
    EXPECT_EQ(r.s.DeviceMenuItems[i].Tag, i);
    EXPECT_EQ(r.s.DeviceMenuItems[i].Checked, i == 1);
  }
  EXPECT_EQ(r.s.DefaultDeviceName, "HDMI");
  ASSERT_TRUE(r.s.DefaultDeviceIcon);
  EXPECT_EQ(r.s.DefaultDeviceIcon->File, "C:\\Windows\\System32\\hdmi.dll");
  EXPECT_EQ(r.s.DefaultDeviceIcon->Index, -7);
  EXPECT_EQ(r.s.DeviceProfiles[1].DeviceIcon, r.s.DefaultDeviceIcon) << "the record keeps the same picture";
  EXPECT_FALSE(r.s.DeviceProfiles[0].DeviceIcon);
  ASSERT_EQ(r.s.DeviceProfiles.size(), 3u) << "the unplugged device's record is dropped from memory";
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(r.s.DeviceProfiles[i].DeviceName, r.s.DeviceNames[i]);
  EXPECT_TRUE(r.window.headerEnabled);
  EXPECT_TRUE(r.window.messages.empty());
  EXPECT_EQ(r.platform.beyondCount, 0);
}

TEST(EnumerationTest, NoDeviceSaysSoAndKeepsTheRecordsButNoItem) {
  Rig r;
  r.Enumerate();
  const auto profiles = r.s.DeviceProfiles;
  r.s.DefaultDeviceName = "HDMI";
  InsertDeviceMenuItems(r.s);
  ASSERT_FALSE(r.s.InsertedDeviceItems.empty());
  r.platform.endpoints.clear();
  r.window.headerEnabled = false;
  r.Enumerate();
  EXPECT_EQ(r.window.log,
            (std::vector<std::string>{"timer off", "message (timer held) 使用可能な再生デバイスが見つかりません。",
                                      "timer on"}));
  EXPECT_TRUE(r.s.DeviceMenuItems.empty());
  EXPECT_TRUE(r.s.InsertedDeviceItems.empty()) << "destroyed items leave the menu";
  EXPECT_TRUE(r.s.DeviceIDs.empty());
  EXPECT_EQ(r.s.DeviceProfiles.size(), profiles.size());
  EXPECT_FALSE(r.window.headerEnabled);
  InsertDeviceMenuItems(r.s);
  EXPECT_TRUE(r.s.InsertedDeviceItems.empty()) << "no item is inserted afterwards";
}

TEST(EnumerationTest, AListingThatCannotBeHadChangesNothing) {
  Rig r;
  r.Enumerate();
  InsertDeviceMenuItems(r.s);
  const auto items = r.s.InsertedDeviceItems;
  r.platform.listFails = true;
  r.platform.endpoints.pop_back();
  r.Enumerate();
  EXPECT_EQ(r.s.DeviceIDs.size(), 3u);
  EXPECT_EQ(r.s.DeviceMenuItems.size(), 3u);
  EXPECT_EQ(r.s.InsertedDeviceItems, items);
  EXPECT_EQ(r.s.DeviceProfiles.size(), 3u);
  EXPECT_TRUE(r.window.messages.empty());
  EXPECT_EQ(r.window.fileReads, 1) << "only the first listing read the file";
}

TEST(EnumerationTest, NoDefaultEndpointStopsSilentlyAfterTakingTheOldItemsAway) {
  Rig r;
  r.Enumerate();
  r.platform.defaultFails = true;
  r.Enumerate();
  EXPECT_TRUE(r.s.DeviceMenuItems.empty());
  EXPECT_TRUE(r.s.DeviceIDs.empty());
  EXPECT_TRUE(r.s.DeviceNames.empty());
  EXPECT_EQ(r.s.DeviceProfiles.size(), 3u);
  EXPECT_TRUE(r.window.messages.empty());
}

TEST(EnumerationTest, ADeviceThatCannotBeReadStopsTheListingAndKeepsTheRecords) {
  for (const bool idFails : {true, false}) {
    SCOPED_TRACE(idFails ? "ID" : "properties");
    Rig r;
    r.s.DeviceProfiles = {Record("Old A"), Record("Old B")};
    r.platform.defaultId = "{id-spk}";
    (idFails ? r.platform.endpoints[1].IdFails : r.platform.endpoints[1].PropertiesFail) = true;
    r.Enumerate();
    EXPECT_EQ(r.s.DeviceIDs.size(), idFails ? 1u : 2u) << "the ID is kept once it was read";
    EXPECT_EQ(r.s.DeviceNames, (std::vector<std::string>{"Speakers"}));
    ASSERT_EQ(r.s.DeviceMenuItems.size(), 1u) << "the items made before the failure stay";
    EXPECT_TRUE(r.s.DeviceMenuItems[0].Checked);
    EXPECT_EQ(r.s.DefaultDeviceName, "Speakers");
    ASSERT_EQ(r.s.DeviceProfiles.size(), 2u);
    EXPECT_EQ(r.s.DeviceProfiles[0].DeviceName, "Old A");
    // The old records and the new item belong to different devices.
    InsertDeviceMenuItems(r.s);
    EXPECT_TRUE(r.s.InsertedDeviceItems.empty());
  }
}

// --- the menu items ---------------------------------------------------------

TEST(DeviceMenuTest, AHiddenDeviceLeavesAGapInTheAcceleratorDigits) {
  Rig r;
  TDefDeviceTrayIconData hidden = Record("HDMI");
  hidden.IsShowOnMenu = false;
  r.s.DeviceProfiles = {hidden};
  RebuildDeviceMenu(r.s, r.platform, r.window);
  ASSERT_EQ(r.s.InsertedDeviceItems, (std::vector<size_t>{0, 2}));
  EXPECT_EQ(r.s.DeviceMenuItems[r.s.InsertedDeviceItems[0]].Caption, "　Speakers(&0)");
  EXPECT_EQ(r.s.DeviceMenuItems[r.s.InsertedDeviceItems[1]].Caption, "　USB Headset(&2)");
}

TEST(DeviceMenuTest, TheFileHidesADeviceAtTheFirstOpening) {
  Rig r;
  r.Settei("[Icon]\nDeviceIconDataCount=1\n[DeviceIconData0]\nDeviceName=Speakers\nIsShowOnMenu=0\n");
  RebuildDeviceMenu(r.s, r.platform, r.window);
  EXPECT_EQ(r.s.InsertedDeviceItems, (std::vector<size_t>{1, 2}));
  // The next opening takes the items out, lists again and puts them in once.
  RebuildDeviceMenu(r.s, r.platform, r.window);
  EXPECT_EQ(r.s.InsertedDeviceItems, (std::vector<size_t>{1, 2}));
  EXPECT_EQ(r.platform.listings, 2);
}

TEST(DeviceMenuTest, CaptionsKeepAnAmpersandOfTheName) {
  EXPECT_EQ(DeviceItemCaption("A&B", 3), "　A&&B(&3)");
  EXPECT_EQ(DeviceItemCaption("", 12), "　(&12)");
}

// --- icon paths -------------------------------------------------------------

struct IconCase {
  const char* path;
  std::optional<IconLocation> want;
};

TEST(IconPathTest, AVariableInPercentSignsACommaAndANonZeroIndexGiveAnIcon) {
  FakeDevicePlatform p;
  p.env["SystemRoot"] = "C:\\Windows";
  p.env["ProgramFiles"] = "C:\\Program Files";
  const IconCase cases[] = {
      {"%SystemRoot%\\System32\\mmres.dll,-3004", IconLocation{"C:\\Windows\\System32\\mmres.dll", -3004}},
      {"% SystemRoot %\\x.dll,-1", IconLocation{"C:\\Windows\\x.dll", -1}},
      {"%ProgramFiles%\\Vendor\\icons.dll, 2", IconLocation{"C:\\Program Files\\Vendor\\icons.dll", 2}},
      {"%Undefined%\\x.dll,-5", IconLocation{"\\x.dll", -5}},
      {"%SystemRoot%,7", IconLocation{"C:\\Windows", 7}},
      {"%SystemRoot%\\x.dll,-19", IconLocation{"C:\\Windows\\x.dll", -19}},
      {"%SystemRoot%\\x.dll,2147483647", IconLocation{"C:\\Windows\\x.dll", 2147483647}},
      {"%SystemRoot%\\x.dll,-2147483647", IconLocation{"C:\\Windows\\x.dll", -2147483647}},
      {"%%\\x.dll,-1", IconLocation{"\\x.dll", -1}},
      {"%SystemRoot%\\x.dll,", std::nullopt},
      {"%SystemRoot%\\x.dll,-", std::nullopt},
      {"%SystemRoot%\\x.dll,1-2", std::nullopt},
      {"%SystemRoot%\\System32\\mmres.dll,0", std::nullopt},
      {"%SystemRoot%\\System32\\mmres.dll,abc", std::nullopt},
      {"%SystemRoot%\\System32\\mmres.dll,99999999999", std::nullopt},
      {"%SystemRoot%\\System32\\mmres.dll", std::nullopt},
      {"C:\\Windows\\System32\\mmres.dll,-3004", std::nullopt},
      {"X%SystemRoot%\\mmres.dll,-3004", std::nullopt},
      {"%SystemRoot\\System32\\mmres.dll,-3004", std::nullopt},
      {"", std::nullopt},
      {",-1", std::nullopt},
  };
  for (const IconCase& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ResolveIconPath(c.path, p), c.want);
    p.extracted.clear();
    const DeviceIconRef icon = ExtractDeviceIcon(c.path, p);
    EXPECT_EQ(static_cast<bool>(icon), c.want.has_value());
    if (c.want) {
      EXPECT_EQ(p.extracted, (std::vector<std::string>{c.want->File + "," + std::to_string(c.want->Index)}));
    } else {
      EXPECT_TRUE(p.extracted.empty()) << "no file is opened for a path without an icon";
    }
  }
}

// A 32-bit program reading System32 on 64-bit Windows gets SysWOW64; the
// "Sysnative" alias reaches the real folder. Only System32 paths change.
TEST(DeviceIconTest, System32PathsGetTheSysnativeAlias) {
  EXPECT_EQ(SysnativeAlias("C:\\Windows\\System32\\mmres.dll", "C:\\Windows"), "C:\\Windows\\Sysnative\\mmres.dll");
  EXPECT_EQ(SysnativeAlias("c:\\WINDOWS\\system32\\drivers\\x.dll", "C:\\Windows\\"),
            "C:\\Windows\\Sysnative\\drivers\\x.dll")
      << "names compare without case; the rest of the path is kept";
  EXPECT_EQ(SysnativeAlias("C:\\Windows\\SysWOW64\\mmres.dll", "C:\\Windows"), std::nullopt);
  EXPECT_EQ(SysnativeAlias("C:\\Windows\\System32x\\a.dll", "C:\\Windows"), std::nullopt);
  EXPECT_EQ(SysnativeAlias("D:\\Windows\\System32\\a.dll", "C:\\Windows"), std::nullopt);
  EXPECT_EQ(SysnativeAlias("C:\\Program Files\\Vendor\\icons.dll", "C:\\Windows"), std::nullopt);
  EXPECT_EQ(SysnativeAlias("C:\\Windows\\System32\\", "C:\\Windows"), std::nullopt) << "no file";
  EXPECT_EQ(SysnativeAlias("C:\\Windows\\System32\\a.dll", ""), std::nullopt);
}

}  // namespace
}  // namespace volmaru::devices
