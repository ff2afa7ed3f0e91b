// The text of the tray icon's tooltip, which is also its balloon text.
#pragma once

#include <string>
#include <string_view>

namespace volmaru::tray {

inline constexpr std::string_view kInitialTooltip = "ボルマル";

// "音量:50\rメインキー:[無変換]" (+ the device line). The bare "\r" is what
// the tray has always shown after the volume.
std::string VolumeTooltip(int volume, std::string_view mainKeyName, std::string_view deviceName);
// "ミュート\rメインキー:[無変換]" (+ the device line).
std::string MuteTooltip(std::string_view mainKeyName, std::string_view deviceName);
// After a device switch that left the volume as it was: "\r\n" after it.
std::string DeviceSwitchTooltip(int volume, std::string_view mainKeyName, std::string_view deviceName);
// "\r\n既定の再生デバイス:\r\n " + name, or "" when the name is not known.
std::string DeviceSuffix(std::string_view deviceName);
// Every occurrence of `from` replaced by `to`, ASCII letters matched without
// case.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

}  // namespace volmaru::tray
