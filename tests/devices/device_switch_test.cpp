#include "devices/device_switch.h"

#include <gtest/gtest.h>

#include "devices/device_list.h"
#include "tests/devices/fake_device_platform.h"
#include "tests/devices/fake_device_window.h"

namespace volmaru::devices {
namespace {

using testing::FakeDevicePlatform;
using testing::FakeDeviceWindow;

using Log = std::vector<std::string>;

// Three devices listed, HDMI the default; the volume shows 40.
struct Rig {
  app::MainWindowState s;
  FakeDevicePlatform platform;
  FakeDeviceWindow window;

  Rig() {
    platform.endpoints = {{"{spk}", "Speakers", "%SystemRoot%\\spk.dll,-1"},
                          {"{hdmi}", "HDMI", "%SystemRoot%\\hdmi.dll,-2"},
                          {"{usb}", "USB", ""}};
    platform.env["SystemRoot"] = "C:\\Windows";
    platform.defaultId = "{hdmi}";
    EnumeratePlaybackDevices(s, platform, window);
    s.LastVolume = 40;
    s.UseEndpointVolume = true;
    window.log.clear();
    platform.listings = 0;
    platform.extracted.clear();
  }
  void Switch(size_t item) { SwitchToDeviceItem(s, platform, window, item); }
  std::vector<bool> Checks() const {
    std::vector<bool> out;
    for (const auto& it : s.DeviceMenuItems) out.push_back(it.Checked);
    return out;
  }
};

TEST(DeviceSwitchTest, TheCheckedItemDoesNothingAtAll) {
  Rig r;
  r.Switch(1);
  EXPECT_TRUE(r.window.log.empty()) << "no timer hold, no wait, no balloon";
  EXPECT_EQ(r.platform.listings, 0);
  EXPECT_TRUE(r.platform.setterCalls.empty());
  r.Switch(3);  // no such item
  r.Switch(7);
  EXPECT_TRUE(r.window.log.empty());
}

TEST(DeviceSwitchTest, ASwitchSetsAllThreeRolesWaitsBindsAgainAndNamesTheNewDevice) {
  Rig r;
  r.window.onReadVolume = [&] { r.s.LastVolume = 55; };  // the new device plays louder
  r.Switch(0);
  EXPECT_EQ(r.platform.setterCalls,
            (std::vector<std::pair<std::string, int>>{{"{spk}", 0}, {"{spk}", 1}, {"{spk}", 2}}));
  EXPECT_EQ(r.platform.defaultId, "{spk}");
  EXPECT_EQ(r.s.DefaultDeviceName, "Speakers");
  EXPECT_EQ(r.Checks(), (std::vector<bool>{true, false, false}));
  ASSERT_TRUE(r.s.DefaultDeviceIcon);
  EXPECT_EQ(r.s.DefaultDeviceIcon->File, "C:\\Windows\\spk.dll");
  // The reading refreshed the tray itself: the switch adds only the balloon.
  EXPECT_EQ(r.window.log, (Log{"timer off", "sleep 200", "acquire", "read volume", "balloon", "timer on"}));
  EXPECT_EQ(r.platform.listings, 1) << "a switch does not enumerate the devices again";
}

TEST(DeviceSwitchTest, AnUnchangedVolumeStillGetsTheNewTextAndPicture) {
  Rig r;
  r.window.follows = true;
  r.Switch(2);  // the USB device has no icon of its own
  EXPECT_EQ(r.window.tip, "音量:40\r\nメインキー:[無変換]\r\n既定の再生デバイス:\r\n USB");
  EXPECT_EQ(r.window.log,
            (Log{"timer off", "sleep 200", "acquire", "read volume", "tip", "icon 40", "balloon", "timer on"}));
  EXPECT_FALSE(r.s.DefaultDeviceIcon) << "the USB device brings no picture";
}

TEST(DeviceSwitchTest, TheIconIsDrawnAgainOnlyWhenItFollowsTheDevice) {
  Rig r;
  r.window.follows = false;
  r.Switch(0);
  EXPECT_EQ(r.window.log, (Log{"timer off", "sleep 200", "acquire", "read volume", "tip", "balloon", "timer on"}));
}

TEST(DeviceSwitchTest, WhileMutedTheTrayKeepsItsMutePictureAndText) {
  Rig r;
  r.window.follows = true;
  r.s.IsMuted = true;
  r.s.EndpointMute = 1;
  r.Switch(0);
  EXPECT_EQ(r.window.tip, "ミュート\rメインキー:[無変換]\r\n既定の再生デバイス:\r\n Speakers");
  EXPECT_EQ(r.window.log, (Log{"timer off", "sleep 200", "acquire", "read volume", "tip", "balloon", "timer on"}));
}

TEST(DeviceSwitchTest, BalloonHintsSwitchedOffShowNoBalloonButTheTextAndIcon) {
  Rig r;
  r.window.follows = true;
  r.window.balloonOff = true;
  r.Switch(0);
  EXPECT_EQ(r.window.log, (Log{"timer off", "sleep 200", "acquire", "read volume", "tip", "icon 40", "timer on"}));
}

// What the user sees and what survives each failure.
struct Before {
  std::string name;
  DeviceIconRef icon;
  std::vector<bool> checks;
};

void ExpectUnchanged(const Rig& r, const Before& b) {
  EXPECT_EQ(r.s.DefaultDeviceName, b.name);
  EXPECT_EQ(r.s.DefaultDeviceIcon, b.icon) << "the picture of the device that still plays";
  EXPECT_EQ(r.Checks(), b.checks);
  EXPECT_EQ(r.window.log,
            (Log{"timer off", "message (timer held) 既定の再生デバイスを変更できませんでした。", "timer on"}))
      << "no wait, no new binding, no balloon";
}

TEST(DeviceSwitchTest, ADeviceThatHasGoneIsReportedAndNothingChanges) {
  Rig r;
  const Before b{r.s.DefaultDeviceName, r.s.DefaultDeviceIcon, r.Checks()};
  r.platform.endpoints.erase(r.platform.endpoints.begin());  // unplugged after the menu was built
  r.Switch(0);
  ExpectUnchanged(r, b);
  EXPECT_TRUE(r.platform.setterCalls.empty());
  EXPECT_EQ(r.platform.beyondCount, 0) << "the search ends with the listing";
}

TEST(DeviceSwitchTest, AMissingSwitchingObjectIsReportedAndNothingChanges) {
  Rig r;
  const Before b{r.s.DefaultDeviceName, r.s.DefaultDeviceIcon, r.Checks()};
  r.platform.noSetter = true;
  r.Switch(0);
  ExpectUnchanged(r, b);
  EXPECT_TRUE(r.platform.extracted.empty());
}

TEST(DeviceSwitchTest, ARefusedConsoleRoleIsAFailedSwitch) {
  Rig r;
  const Before b{r.s.DefaultDeviceName, r.s.DefaultDeviceIcon, r.Checks()};
  r.platform.refusedRoles = {Role::kConsole};
  r.Switch(0);
  ExpectUnchanged(r, b);
  EXPECT_EQ(r.platform.setterCalls, (std::vector<std::pair<std::string, int>>{{"{spk}", 0}}))
      << "the other roles do not move without it";
}

TEST(DeviceSwitchTest, RefusalsOfTheOtherRolesStillCountAsASwitch) {
  Rig r;
  r.platform.refusedRoles = {Role::kMultimedia, Role::kCommunications};
  r.Switch(0);
  EXPECT_EQ(r.platform.setterCalls.size(), 3u);
  EXPECT_EQ(r.s.DefaultDeviceName, "Speakers");
  EXPECT_TRUE(r.window.messages.empty());
}

TEST(DeviceSwitchTest, ANewDefaultWithoutAVolumeInterfaceIsReportedAndTheSwitchCompletes) {
  Rig r;
  r.window.acquireOk = false;
  r.Switch(0);
  EXPECT_EQ(r.window.log, (Log{"timer off", "sleep 200", "acquire", "timer off",
                               "message (timer held) 既定の再生デバイスに対応できませんでした。", "timer on",
                               "read volume", "tip", "balloon", "timer on"}));
  EXPECT_EQ(r.s.DefaultDeviceName, "Speakers");
  EXPECT_EQ(r.window.timerHolds, 0);
}

TEST(DeviceSwitchTest, SetDefaultPlaybackDeviceLooksAtNoDeviceAfterTheOneItSwitched) {
  Rig r;
  r.platform.endpoints[2].IdFails = true;  // a later device that could not be read
  EXPECT_TRUE(SetDefaultPlaybackDevice(r.s, r.platform, 0));
  EXPECT_FALSE(SetDefaultPlaybackDevice(r.s, r.platform, 2));
  EXPECT_FALSE(SetDefaultPlaybackDevice(r.s, r.platform, 3)) << "no such device";
  r.platform.listFails = true;
  EXPECT_FALSE(SetDefaultPlaybackDevice(r.s, r.platform, 1));
}

TEST(DeviceSwitchTest, AnUnreadableIconPathKeepsThePictureOfASuccessfulSwitch) {
  Rig r;
  const DeviceIconRef before = r.s.DefaultDeviceIcon;
  ASSERT_TRUE(before);
  r.platform.endpoints[0].PropertiesFail = true;
  EXPECT_TRUE(SetDefaultPlaybackDevice(r.s, r.platform, 0));
  EXPECT_EQ(r.s.DefaultDeviceIcon, before);
}

TEST(DeviceSwitchTest, AfterAListingThatStoppedEarlyTheSwitchNamesTheDeviceItSwitchedTo) {
  Rig r;
  r.platform.endpoints[1].PropertiesFail = true;
  TDefDeviceTrayIconData old;
  old.DeviceName = "Unplugged";
  r.s.DeviceProfiles = {old};  // the records of an older listing
  EnumeratePlaybackDevices(r.s, r.platform, r.window);
  ASSERT_EQ(r.s.DeviceMenuItems.size(), 1u);
  r.s.DeviceMenuItems[0].Checked = false;
  r.Switch(0);
  EXPECT_EQ(r.platform.defaultId, "{spk}");
  EXPECT_EQ(r.s.DefaultDeviceName, "Speakers") << "not the name of an unrelated record";
}

TEST(RebindTest, TheMenuCommandBindsAgainAndSaysSoOnlyWhenItCannot) {
  FakeDeviceWindow w;
  MenuGetAudioEndVolClick(w);
  EXPECT_EQ(w.log, (Log{"acquire"}));
  w.log.clear();
  w.acquireOk = false;
  MenuGetAudioEndVolClick(w);
  EXPECT_EQ(w.messages, (std::vector<std::string>{"既定の再生デバイスに対応できませんでした。"}));
  EXPECT_EQ(w.timerHolds, 0);
}

// The daily schedule names a device, not a position: after a listing that
// stopped early the records of the last complete listing no longer stand
// in the order of the items.
TEST(DeviceSwitchTest, TheScheduleSwitchesByDeviceNotByPosition) {
  Rig r;
  // The order changed and the second device could not be read: one item,
  // "USB", while the records still read Speakers, HDMI, USB.
  r.platform.endpoints = {{"{usb}", "USB", ""}, {"{spk}", "Speakers", "", false, true}, {"{hdmi}", "HDMI", ""}};
  EnumeratePlaybackDevices(r.s, r.platform, r.window);
  ASSERT_EQ(r.s.DeviceNames, (std::vector<std::string>{"USB"}));
  ASSERT_EQ(r.s.DeviceProfiles.size(), 3u);
  ASSERT_EQ(r.s.DeviceProfiles[0].DeviceName, "Speakers");
  r.window.log.clear();
  r.platform.setterCalls.clear();

  EXPECT_FALSE(SwitchToDeviceNamed(r.s, r.platform, r.window, "Speakers", true))
      << "the first record's device has no item in this listing";
  EXPECT_TRUE(r.platform.setterCalls.empty()) << "and the first item, another device, is not switched to";
  EXPECT_EQ(r.window.messages, (std::vector<std::string>{"既定の再生デバイスを変更できませんでした。"}));
  EXPECT_EQ(r.window.log.front(), "timer off");

  r.window.messages.clear();
  EXPECT_TRUE(SwitchToDeviceNamed(r.s, r.platform, r.window, "USB", true));
  EXPECT_EQ(r.platform.defaultId, "{usb}");
  EXPECT_EQ(r.s.DefaultDeviceName, "USB");
}

// The menu can hold more items than there are names while a listing is being
// rebuilt; a name that is not there is looked for only among the names.
TEST(DeviceSwitchTest, AnUnknownNameIsLookedForOnlyAmongTheNames) {
  Rig r;
  EnumeratePlaybackDevices(r.s, r.platform, r.window);
  ASSERT_FALSE(r.s.DeviceNames.empty());
  r.s.DeviceMenuItems.resize(r.s.DeviceNames.size() + 2);
  r.platform.setterCalls.clear();
  EXPECT_FALSE(SwitchToDeviceNamed(r.s, r.platform, r.window, "", false));
  EXPECT_TRUE(r.platform.setterCalls.empty());
}

TEST(DeviceSwitchTest, AQuietFailureTellsNobody) {
  Rig r;
  r.platform.noSetter = true;
  EXPECT_FALSE(SwitchToDeviceNamed(r.s, r.platform, r.window, "Speakers", false));
  EXPECT_FALSE(SwitchToDeviceNamed(r.s, r.platform, r.window, "Missing", false));
  EXPECT_TRUE(r.window.messages.empty());
  EXPECT_FALSE(SwitchToDeviceNamed(r.s, r.platform, r.window, "Speakers", true));
  EXPECT_EQ(r.window.messages, (std::vector<std::string>{"既定の再生デバイスを変更できませんでした。"}));
  EXPECT_EQ(r.window.timerHolds, 0);
}

// --- following the system's default device ---------------------------------------

// Windows made another device the default by itself (a headset came, the
// user chose one in the Sound control panel): the volume control, the
// device list with its check mark and the tray follow it.
TEST(DeviceFollowTest, TheVolumeControlTheListAndTheTrayFollowTheNewDefault) {
  Rig r;
  r.window.follows = true;
  ASSERT_TRUE(OnDefaultDeviceNotice(r.s)) << "the first notice starts the wait";
  EXPECT_FALSE(OnDefaultDeviceNotice(r.s)) << "a burst of notices makes one follow";
  r.platform.defaultId = "{spk}";
  FollowDefaultDevice(r.s, r.platform, r.window);
  EXPECT_FALSE(r.s.DeviceFollowPending);
  EXPECT_EQ(r.s.DefaultDeviceName, "Speakers");
  EXPECT_EQ(r.Checks(), (std::vector<bool>{true, false, false}));
  ASSERT_TRUE(r.s.DefaultDeviceIcon);
  EXPECT_EQ(r.s.DefaultDeviceIcon->File, "C:\\Windows\\spk.dll");
  EXPECT_EQ(r.platform.listings, 1) << "the devices listed again";
  EXPECT_EQ(r.window.tip, "音量:40\r\nメインキー:[無変換]\r\n既定の再生デバイス:\r\n Speakers");
  EXPECT_EQ(r.window.log, (Log{"timer off", "acquire", "read volume", "tip", "icon 40", "timer on"}))
      << "bound anew, read, the tray refreshed; no switch of its own, no balloon";
  EXPECT_TRUE(r.platform.setterCalls.empty());
  EXPECT_TRUE(OnDefaultDeviceNotice(r.s)) << "the next notice is a new burst";
}

TEST(DeviceFollowTest, ANewVolumeRefreshesTheTrayThroughTheReading) {
  Rig r;
  r.window.follows = true;
  r.window.onReadVolume = [&] { r.s.LastVolume = 70; };  // the headset plays louder
  r.platform.defaultId = "{usb}";
  OnDefaultDeviceNotice(r.s);
  FollowDefaultDevice(r.s, r.platform, r.window);
  EXPECT_EQ(r.s.DefaultDeviceName, "USB");
  EXPECT_EQ(r.window.log, (Log{"timer off", "acquire", "read volume", "timer on"}));
}

// The program's own switch binds the volume control again itself: the
// system's notices of it start no follow.
TEST(DeviceFollowTest, NoticesDuringASwitchOfTheProgramsOwnAreItsOwnDoing) {
  Rig r;
  {
    const OwnSwitchScope own(r.s);
    EXPECT_FALSE(OnDefaultDeviceNotice(r.s));
    FollowDefaultDevice(r.s, r.platform, r.window);
    EXPECT_TRUE(r.window.log.empty()) << "a follow due meanwhile waits for nothing and does nothing";
  }
  EXPECT_EQ(r.s.OwnDeviceSwitches, 0);
  r.window.onReadVolume = [&] { EXPECT_EQ(r.s.OwnDeviceSwitches, 1) << "the menu's switch counts as its own"; };
  r.Switch(0);
  EXPECT_EQ(r.s.OwnDeviceSwitches, 0);
  EXPECT_TRUE(OnDefaultDeviceNotice(r.s));
}

// The last device unplugged: nothing to bind to. The program stays as it is
// and says nothing (it was not asked); the next notice tries again.
TEST(DeviceFollowTest, WithoutADefaultDeviceTheFollowWaitsQuietly) {
  Rig r;
  r.window.acquireOk = false;
  const std::string before = r.s.DefaultDeviceName;
  OnDefaultDeviceNotice(r.s);
  FollowDefaultDevice(r.s, r.platform, r.window);
  EXPECT_TRUE(r.window.messages.empty());
  EXPECT_EQ(r.window.log, (Log{"timer off", "acquire", "timer on"}));
  EXPECT_EQ(r.platform.listings, 0);
  EXPECT_EQ(r.s.DefaultDeviceName, before);
  EXPECT_FALSE(r.s.DeviceFollowPending);
}

TEST(DeviceFollowTest, TheMixerPathFollowsNothing) {
  Rig r;
  r.s.UseEndpointVolume = false;
  FollowDefaultDevice(r.s, r.platform, r.window);
  EXPECT_TRUE(r.window.log.empty());
}

}  // namespace
}  // namespace volmaru::devices
