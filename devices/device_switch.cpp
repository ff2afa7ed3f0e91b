#include "devices/device_switch.h"

#include <string>

#include "common/timer_pause.h"
#include "devices/device_list.h"
#include "tray/tooltip_text.h"

namespace volmaru::devices {

bool SetDefaultPlaybackDevice(app::MainWindowState& s, DevicePlatform& platform, size_t index) {
  if (index >= s.DeviceIDs.size()) return false;
  const std::string wanted = s.DeviceIDs[index];
  const std::unique_ptr<EndpointList> list = platform.ListPlaybackEndpoints();
  if (!list) return false;
  const size_t count = list->Count();
  for (size_t i = 0; i < count; ++i) {
    const std::optional<std::string> id = list->Id(i);
    if (!id) return false;
    if (*id != wanted) continue;
    const std::unique_ptr<DefaultEndpointSetter> setter = platform.CreateDefaultEndpointSetter();
    if (!setter) return false;
    // The console role is the default every reading of the volume follows;
    // without it the device did not become the default. The other two
    // roles follow it; a refusal there does not undo the switch.
    if (!setter->SetDefaultEndpoint(*id, Role::kConsole)) return false;
    setter->SetDefaultEndpoint(*id, Role::kMultimedia);
    setter->SetDefaultEndpoint(*id, Role::kCommunications);
    // A device whose properties cannot be read keeps the icon shown so far.
    if (const std::optional<EndpointProperties> props = list->Properties(i)) {
      s.DefaultDeviceIcon = ExtractDeviceIcon(props->IconPath, platform);
    }
    return true;
  }
  return false;
}

void MenuGetAudioEndVolClick(DeviceWindowPort& window) {
  if (window.AcquireEndpointVolume()) return;
  const TimerPause<DeviceWindowPort> hold(window);
  window.ShowMessage(kRebindFailedText);
}

namespace {

// After the volume control was bound to another device and that device was
// read: when the reading did not refresh the tray (the same number), the
// tray names the new device here. While muted the tray keeps saying so.
void NameTheDeviceInTheTray(const app::MainWindowState& s, DeviceWindowPort& window, int shownVolume) {
  if (s.LastVolume != shownVolume) return;
  const std::string& key = s.Keyboard.MainKey.name;
  window.SetBalloonAndTip(s.IsMuted ? tray::MuteTooltip(key, s.DefaultDeviceName)
                                    : tray::DeviceSwitchTooltip(s.LastVolume, key, s.DefaultDeviceName));
  // The picture under the number and its colours belong to the device;
  // while muted the tray shows the mute picture, which a redraw would
  // replace.
  if (!s.IsMuted && window.IconFollowsDevice()) window.RedrawIcon(s.LastVolume);
}

}  // namespace

bool OnDefaultDeviceNotice(app::MainWindowState& s) {
  if (s.OwnDeviceSwitches > 0 || s.DeviceFollowPending) return false;
  s.DeviceFollowPending = true;
  return true;
}

void FollowDefaultDevice(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window) {
  s.DeviceFollowPending = false;
  if (s.OwnDeviceSwitches > 0 || !s.UseEndpointVolume) return;
  const TimerPause<DeviceWindowPort> hold(window);
  if (!window.AcquireEndpointVolume()) return;
  EnumeratePlaybackDevices(s, platform, window);
  InsertDeviceMenuItems(s);
  const int shown = s.LastVolume;
  window.ReadAfterRebind();
  NameTheDeviceInTheTray(s, window, shown);
}

bool SwitchToDeviceItem(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window, size_t item,
                        bool reportFailure) {
  if (item >= s.DeviceMenuItems.size()) return false;
  if (s.DeviceMenuItems[item].Checked) return true;
  const OwnSwitchScope own(s);
  const TimerPause<DeviceWindowPort> hold(window);
  if (!SetDefaultPlaybackDevice(s, platform, item)) {
    if (reportFailure) window.ShowMessage(kSwitchFailedText);
    return false;
  }
  // An existing item always has its name (both are made together).
  s.DefaultDeviceName = s.DeviceNames[item];
  for (DeviceMenuItem& other : s.DeviceMenuItems) other.Checked = false;
  s.DeviceMenuItems[item].Checked = true;
  window.Sleep(kSwitchSettleMs);
  MenuGetAudioEndVolClick(window);
  const int shown = s.LastVolume;
  window.ReadAfterRebind();
  NameTheDeviceInTheTray(s, window, shown);
  if (!window.BalloonHintsOff()) window.ShowBalloon();
  return true;
}

bool SwitchToDeviceNamed(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window,
                         const std::string& name, bool reportFailure) {
  for (size_t k = 0; k < s.DeviceNames.size() && k < s.DeviceMenuItems.size(); ++k) {
    if (s.DeviceNames[k] == name) return SwitchToDeviceItem(s, platform, window, k, reportFailure);
  }
  if (reportFailure) {
    const TimerPause<DeviceWindowPort> hold(window);
    window.ShowMessage(kSwitchFailedText);
  }
  return false;
}

}  // namespace volmaru::devices
