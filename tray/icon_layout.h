// How the volume number is laid out on the 32 x 32 tray icon, and which
// colours and base picture it gets.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "settings/device_profile.h"
#include "settings/settings_store.h"

namespace volmaru::tray {

inline constexpr int kIconSize = 32;

struct IconTextLayout {
  int points;       // font size at 96 dpi
  int pixelHeight;  // the same as a character height in pixels
  int x;
  int y;
  bool operator==(const IconTextLayout&) const = default;
};

// 100 in the small font from the left edge, two digits and one digit in the
// large font further right.
constexpr IconTextLayout LayoutForNumber(int number) {
  if (number >= 100) return {11, 15, 0, 5};
  if (number >= 10) return {14, 19, 5, 5};
  return {14, 19, 10, 5};
}

// The colours of the icon: the default device's profile when colouring by
// device is on and there are profiles (the first profile with exactly that
// name); the global colours otherwise, and when no profile has the name.
settings::IconColours ChooseIconColours(bool changeIconColorByDevice,
                                        const std::vector<TDefDeviceTrayIconData>& profiles,
                                        std::string_view defaultDeviceName, const settings::IconColours& global);

enum class BaseImage { kDeviceIcon, kSpeakerFile, kNone };
// The picture under the number for UpdateTrayIcon.
constexpr BaseImage ChooseBaseImage(bool haveDeviceIcon, bool speakerFileExists) {
  if (haveDeviceIcon) return BaseImage::kDeviceIcon;
  return speakerFileExists ? BaseImage::kSpeakerFile : BaseImage::kNone;
}

}  // namespace volmaru::tray
