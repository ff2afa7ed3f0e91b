#include "settings/window/settei_rules.h"

#include <limits>

#include "meter/meter_geometry.h"

namespace volmaru::settings {

std::optional<int> ValidStep(std::string_view text) {
  const std::optional<int> v = ParseFieldInteger(text);
  if (!v || *v < 1 || *v > 100) return std::nullopt;
  return v;
}

std::optional<int> ValidShowTime(std::string_view text) {
  const std::optional<int> v = ParseFieldInteger(text);
  if (!v || *v < 1 || *v > 30) return std::nullopt;
  return v;
}

bool SameKeyInPairs(const std::array<int, 4>& codes) {
  for (size_t a = 0; a < codes.size(); ++a) {
    for (size_t b = a + 1; b < codes.size(); ++b) {
      if (codes[a] == codes[b]) return true;
    }
  }
  return false;
}

std::string SecondsHint(int ms) {
  std::string text;
  if (ms < 0) {
    text = "-";
    ms = -ms;
  }
  text += std::to_string(ms / 1000);
  int fraction = ms % 1000;
  if (fraction != 0) {
    std::string digits = std::to_string(1000 + fraction).substr(1);  // three digits
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text + "秒";
}

bool MeterByDeviceUsableOnLoad(bool useEndpoint, int colorSource) { return useEndpoint && colorSource == 0; }

DependentStates ComputeDependentStates(const PageSwitches& s) {
  DependentStates d;
  d.meterByDeviceEnabled = s.meterByDeviceUsable;
  d.meterDevicePanelEnabled = s.meterByDeviceUsable && s.colorSource == 0 && s.meterByDevice;
  d.meterPickerEnabled = s.colorSource == 0 && !s.meterByDevice;
  d.showTimeEnabled = !s.allwaysShow;
  d.iconDevicePanelEnabled = s.iconByDevice;
  d.iconGlobalGroupEnabled = !s.iconByDevice;
  d.wheelBoxEnabled = !s.noChangeByMouse;
  d.keyboardGroupVisible = !s.noChangeByKey;
  return d;
}

int ProfileIndexByName(const std::vector<TDefDeviceTrayIconData>& profiles, std::string_view name) {
  for (size_t i = 0; i < profiles.size(); ++i) {
    if (profiles[i].DeviceName == name) return static_cast<int>(i);
  }
  return -1;
}

ColourSourceOutcome OnColourSourceChanged(const ColourSourceInputs& in) {
  ColourSourceOutcome out;
  out.pickerColour = in.pickerColour;
  if (in.colorSource == 0) {
    out.meterByDeviceUsable = in.useEndpoint && in.iconDeviceSelected;
    out.meterByDevice = out.meterByDeviceUsable && in.meterByDevice;
    return out;
  }
  out.meterByDeviceUsable = false;
  out.meterByDevice = false;
  uint32_t text = in.iconText;
  uint32_t back = in.iconBack;
  if (in.iconByDevice && in.profiles) {
    const int i = ProfileIndexByName(*in.profiles, in.defaultDeviceName);
    if (i >= 0) {
      text = (*in.profiles)[static_cast<size_t>(i)].TextColor;
      back = (*in.profiles)[static_cast<size_t>(i)].BackColor;
    }
  }
  out.pickerColour = in.colorSource == 1 ? text : back;
  return out;
}

uint32_t SavedMeterColour(const SavedMeterColourInputs& in) {
  // One rule for the saved colour and for every drawing of the meter.
  meter::BarColourInputs b;
  b.colorByIconColor = in.colorSource;
  b.changeColorByDevice = in.meterByDevice;
  b.pickerColour = in.pickerColour;
  b.changeIconColorByDevice = in.iconByDevice;
  b.iconText = in.iconText;
  b.iconBack = in.iconBack;
  b.profiles = in.profiles;
  b.defaultDeviceName = in.defaultDeviceName;
  b.previous = in.previous;
  return meter::ChooseBarColour(b);
}

bool IsExtendedKeyCode(int vk) {
  return (vk >= 33 && vk <= 46) || (vk >= 91 && vk <= 93) || vk == 108 || vk == 111 || vk == 144 || vk == 163 ||
         vk == 165;
}

uint32_t KeyNameParam(int vk, unsigned scanCode) {
  uint32_t param = (scanCode & 0xFFu) << 16;
  if (IsExtendedKeyCode(vk)) param |= 0x1000000u;
  return param;
}

std::string CapturedKeyName(int vk, KeyNamePort& layout) {
  switch (vk) {
    case 37:
      return "←";
    case 38:
      return "↑";
    case 39:
      return "→";
    case 40:
      return "↓";
    default:
      return layout.KeyNameText(KeyNameParam(vk, layout.ScanCode(vk)));
  }
}

std::optional<int> CapturedKeyCode(int vk, int imeOriginal) {
  if (vk != kVkProcessKey) return vk;
  if (imeOriginal > 0 && imeOriginal < 255 && imeOriginal != kVkProcessKey) return imeOriginal;
  return std::nullopt;
}

KeyCapture::Click KeyCapture::Toggle(int tag) {
  if (tag < 0 || tag >= kKeySlots) return Click::kIgnored;
  if (active_ < 0) {
    active_ = tag;
    return Click::kStarted;
  }
  if (active_ == tag) {
    active_ = -1;
    return Click::kEnded;
  }
  return Click::kIgnored;
}

}  // namespace volmaru::settings
