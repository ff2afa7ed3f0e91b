// The playback devices: listing them with one settings record each (carried
// over from memory and from the settings file), learning the default one and
// its icon, and the device items of the tray menu. Endpoint path only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_state.h"
#include "devices/device_platform.h"

namespace volmaru::devices {

inline constexpr std::string_view kNoPlaybackDeviceText = "使用可能な再生デバイスが見つかりません。";
inline constexpr uint32_t kDefaultVolumeBarColour = 0x00FF00;
inline constexpr int32_t kDefaultNormalVolume = 50;

// "　" + name + "(&" + index + ")". An "&" of the name is doubled so that the
// menu shows it instead of taking it for the accelerator.
std::string DeviceItemCaption(std::string_view name, size_t index);

// An icon path "%Variable%\folder\file.dll,index" with the variable
// resolved; nothing when the path gives no icon (no comma, no variable in
// percent signs at its start, index 0 or not a number).
struct IconLocation {
  std::string File;
  int Index = 0;
  bool operator==(const IconLocation&) const = default;
};
std::optional<IconLocation> ResolveIconPath(std::string_view iconPath, DevicePlatform& platform);

// The device's large icon for its icon path, or none.
DeviceIconRef ExtractDeviceIcon(std::string_view iconPath, DevicePlatform& platform);

// A 32-bit program on 64-bit Windows reading "<windows>\System32\..." is
// sent to SysWOW64, and a vendor's icon DLL is often in System32 alone. The
// same file through the "Sysnative" alias, which is not redirected; nothing
// for a path elsewhere. Folder names compare without case.
std::optional<std::string> SysnativeAlias(std::string_view file, std::string_view windowsFolder);

// The record of a device of that name: first from the first record in
// memory with exactly that name, then from the first section of the
// settings file with that name in code page 932 (colours, a schedule time of
// 0, a schedule flag that is false and a menu flag that is true still open;
// the normal volume always), then the defaults.
TDefDeviceTrayIconData CarryOverProfile(const std::string& name, DeviceIconRef icon,
                                        const std::vector<TDefDeviceTrayIconData>& memory,
                                        const std::vector<TDefDeviceTrayIconData>& file,
                                        const settings::IconColours& global);

// Rebuilds DeviceIDs, DeviceNames, DeviceMenuItems and, when every device
// could be read, DeviceProfiles; sets DefaultDeviceName and
// DefaultDeviceIcon. Never writes the settings file.
void EnumeratePlaybackDevices(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window);

// The items of the records shown on the menu, in record order.
void InsertDeviceMenuItems(app::MainWindowState& s);

// The popup menu's opening: the items inserted last time come out, the
// devices are listed again and the items go in again.
void RebuildDeviceMenu(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window);

}  // namespace volmaru::devices
