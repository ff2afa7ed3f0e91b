#include "tray/tooltip_text.h"

#include "common/text.h"

namespace volmaru::tray {

std::string DeviceSuffix(std::string_view deviceName) {
  if (deviceName.empty()) return {};
  return "\r\n既定の再生デバイス:\r\n " + std::string(deviceName);
}

std::string VolumeTooltip(int volume, std::string_view mainKeyName, std::string_view deviceName) {
  return "音量:" + std::to_string(volume) + "\r" + "メインキー:[" + std::string(mainKeyName) + "]" +
         DeviceSuffix(deviceName);
}

std::string MuteTooltip(std::string_view mainKeyName, std::string_view deviceName) {
  return "ミュート\rメインキー:[" + std::string(mainKeyName) + "]" + DeviceSuffix(deviceName);
}

std::string DeviceSwitchTooltip(int volume, std::string_view mainKeyName, std::string_view deviceName) {
  return "音量:" + std::to_string(volume) + "\r\n" + "メインキー:[" + std::string(mainKeyName) + "]" +
         DeviceSuffix(deviceName);
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (i + from.size() <= text.size() && EqualsIgnoreAsciiCase(text.substr(i, from.size()), from)) {
      out += to;
      i += from.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace volmaru::tray
