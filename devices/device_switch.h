// Making a listed playback device the system's default, and binding the
// volume control again to whatever device is the default. Endpoint path
// only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_window_state.h"
#include "devices/device_platform.h"

namespace volmaru::devices {

inline constexpr std::string_view kSwitchFailedText = "既定の再生デバイスを変更できませんでした。";
inline constexpr std::string_view kRebindFailedText = "既定の再生デバイスに対応できませんでした。";
// How long the system gets to switch before the endpoint is read again.
inline constexpr uint32_t kSwitchSettleMs = 200;

// Makes the device DeviceIDs[index] the default for all three roles and
// takes its icon as DefaultDeviceIcon. False when the device is no longer
// present, the switching object cannot be created or the system refuses
// the console role (the one every volume reading follows); then nothing
// changes.
bool SetDefaultPlaybackDevice(app::MainWindowState& s, DevicePlatform& platform, size_t index);

// The click on device item `item`: nothing when the item is already
// checked; otherwise the switch with the timer held, the 200 ms wait,
// binding the volume again, the tray texts and the balloon. False when the
// switch failed, which the user is told unless `reportFailure` is off.
bool SwitchToDeviceItem(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window, size_t item,
                        bool reportFailure = true);

// The daily device schedule's switch: the item of the device of that name
// in the latest listing. After a listing that stopped early the records
// and the items no longer stand in the same order, so a record's position
// is no item's; a device without an item counts as a failed switch.
bool SwitchToDeviceNamed(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window,
                         const std::string& name, bool reportFailure);

// "既定の再生デバイスに対応する(&D)": binds the volume control to the current
// default device; says so when it cannot.
void MenuGetAudioEndVolClick(DeviceWindowPort& window);

// Holds OwnDeviceSwitches for the life of a switch of the program's own.
class OwnSwitchScope {
 public:
  explicit OwnSwitchScope(app::MainWindowState& s) : s_(s) { ++s_.OwnDeviceSwitches; }
  ~OwnSwitchScope() { --s_.OwnDeviceSwitches; }
  OwnSwitchScope(const OwnSwitchScope&) = delete;
  OwnSwitchScope& operator=(const OwnSwitchScope&) = delete;

 private:
  app::MainWindowState& s_;
};

// Following the system's default playback device. Windows changes it by
// itself (a headset arrives, a device goes, the user picks one in the Sound
// control panel); its notices come from a system thread and reach the main
// window as a message. A notice during a switch of the program's own is
// that switch's doing and is dropped; otherwise the follow is due once the
// burst of notices is over. True when the caller must start the short wait
// (a notice while one is pending adds nothing).
inline constexpr uint32_t kFollowSettleMs = 300;
bool OnDefaultDeviceNotice(app::MainWindowState& s);
// The follow itself: the volume control bound to the device that is the
// default now (quietly: a machine left without any device stays as it is
// until the next notice), the devices listed again with their menu items
// and check mark, the new device's mute and volume read, and the tooltip
// and the tray icon (its colours and picture) refreshed. The main timer is
// held meanwhile. Nothing while a switch of the program's own runs.
void FollowDefaultDevice(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window);

}  // namespace volmaru::devices
