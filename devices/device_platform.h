// What the playback-device rules need from the platform (Core Audio, the
// system's default-endpoint switch, icon files, environment variables) and
// from the main window (timer, tray texts, messages, the endpoint volume).
// The Windows layer implements both over Core Audio and the main window;
// tests implement them with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/device_profile.h"
#include "settings/settings_store.h"

namespace volmaru::devices {

// The three roles a default endpoint has (ERole).
enum class Role { kConsole = 0, kMultimedia = 1, kCommunications = 2 };

struct EndpointProperties {
  std::string FriendlyName;
  std::string IconPath;  // "" when the device names none
};

// One listing of the active playback endpoints. It lives for one operation;
// the platform's objects are released with it.
class EndpointList {
 public:
  virtual ~EndpointList() = default;
  virtual size_t Count() = 0;
  // The ID of the default endpoint for the console role; nothing when it
  // cannot be had.
  virtual std::optional<std::string> DefaultId() = 0;
  // Device i's ID; nothing when the device or its ID cannot be had.
  virtual std::optional<std::string> Id(size_t i) = 0;
  // Friendly name and icon path from the device's property store; nothing
  // when the store cannot be opened or a value cannot be read.
  virtual std::optional<EndpointProperties> Properties(size_t i) = 0;
};

// The system's switch of the default endpoint (one object per switch).
class DefaultEndpointSetter {
 public:
  virtual ~DefaultEndpointSetter() = default;
  virtual bool SetDefaultEndpoint(const std::string& id, Role role) = 0;
};

class DevicePlatform {
 public:
  virtual ~DevicePlatform() = default;
  // The active playback endpoints; null when the device enumerator, the
  // listing or its count cannot be had.
  virtual std::unique_ptr<EndpointList> ListPlaybackEndpoints() = 0;
  // Null when the switching object cannot be created.
  virtual std::unique_ptr<DefaultEndpointSetter> CreateDefaultEndpointSetter() = 0;
  // "" when the variable is not defined.
  virtual std::string EnvironmentVariable(std::string_view name) = 0;
  // The large icon number `index` of a file (a negative index is a
  // resource identifier); none when the file has no such icon.
  virtual DeviceIconRef ExtractLargeIcon(const std::string& file, int index) = 0;
};

// The main window as the device rules see it.
class DeviceWindowPort {
 public:
  virtual ~DeviceWindowPort() = default;
  // The device sections of the settings file, with their colours defaulting
  // to `global`; empty when there is no file.
  virtual std::vector<TDefDeviceTrayIconData> SavedDeviceProfiles(const settings::IconColours& global) = 0;
  // The popup menu's heading "既定の再生デバイス".
  virtual void EnableDeviceHeader() = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  // The main timer, held still by counted pauses (common/timer_pause.h).
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  // Blocks the thread; no messages run.
  virtual void Sleep(uint32_t ms) = 0;
  // Replaces the held endpoint volume by the current default device's (the
  // old one is released in any case); false when none could be had.
  virtual bool AcquireEndpointVolume() = 0;
  // Reads the newly bound device's mute state and volume (it refreshes
  // tooltip and icon when they changed; the volume is read even while that
  // device is muted).
  virtual void ReadAfterRebind() = 0;
  // Sets the balloon text, then the tooltip to the same text.
  virtual void SetBalloonAndTip(const std::string& text) = 0;
  virtual void ShowBalloon() = 0;
  // The menu item "バルーンヒント(トースト通知)を表示しない(&B)" is checked.
  virtual bool BalloonHintsOff() = 0;
  virtual void RedrawIcon(int volume) = 0;
  // "UseDefAudioDeviceIcon" or "ChangeIconColorByDevice" is on.
  virtual bool IconFollowsDevice() = 0;
};

}  // namespace volmaru::devices
