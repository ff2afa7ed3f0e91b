#include "tray/icon_layout.h"

namespace volmaru::tray {

settings::IconColours ChooseIconColours(bool changeIconColorByDevice,
                                        const std::vector<TDefDeviceTrayIconData>& profiles,
                                        std::string_view defaultDeviceName, const settings::IconColours& global) {
  if (changeIconColorByDevice && !profiles.empty()) {
    for (const TDefDeviceTrayIconData& p : profiles) {
      if (p.DeviceName == defaultDeviceName) return {p.TextColor, p.BackColor};
    }
  }
  return global;
}

}  // namespace volmaru::tray
