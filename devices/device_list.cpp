#include "devices/device_list.h"

#include <limits>

#include "common/text.h"
#include "common/timer_pause.h"

namespace volmaru::devices {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A decimal integer with an optional sign; 0 for anything else, also for a
// number out of range.
int IconIndex(std::string_view text) {
  text = TrimSpaces(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return 0;
  int64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
    if (v > std::numeric_limits<int32_t>::max()) return 0;
  }
  return static_cast<int>(negative ? -v : v);
}

const TDefDeviceTrayIconData* FirstNamed(const std::vector<TDefDeviceTrayIconData>& records, std::string_view name) {
  for (const TDefDeviceTrayIconData& r : records) {
    if (r.DeviceName == name) return &r;
  }
  return nullptr;
}

// The file holds names in code page 932: a name with characters the code
// page lacks matches the section it was saved under, which devices whose
// names differ only in such characters share.
const TDefDeviceTrayIconData* FirstSavedAs(const std::vector<TDefDeviceTrayIconData>& records, std::string_view name) {
  const std::string onDisk = Utf8ToCp932(name);
  for (const TDefDeviceTrayIconData& r : records) {
    if (Utf8ToCp932(r.DeviceName) == onDisk) return &r;
  }
  return nullptr;
}

}  // namespace

std::string DeviceItemCaption(std::string_view name, size_t index) {
  std::string caption = "　";
  for (const char c : name) {
    caption += c;
    if (c == '&') caption += '&';
  }
  return caption + "(&" + std::to_string(index) + ")";
}

std::optional<IconLocation> ResolveIconPath(std::string_view iconPath, DevicePlatform& platform) {
  const size_t comma = iconPath.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const std::string_view file = iconPath.substr(0, comma);
  if (file.empty() || file.front() != '%') return std::nullopt;
  const size_t close = file.find('%', 1);
  if (close == std::string_view::npos) return std::nullopt;
  const int index = IconIndex(iconPath.substr(comma + 1));
  if (index == 0) return std::nullopt;
  const std::string_view variable = TrimSpaces(file.substr(1, close - 1));
  return IconLocation{platform.EnvironmentVariable(variable) + std::string(file.substr(close + 1)), index};
}

std::optional<std::string> SysnativeAlias(std::string_view file, std::string_view windowsFolder) {
  std::string root(windowsFolder);
  while (!root.empty() && (root.back() == '\\' || root.back() == '/')) root.pop_back();
  if (root.empty()) return std::nullopt;
  const std::string system = root + "\\system32\\";
  if (file.size() <= system.size() || ToAsciiLower(file.substr(0, system.size())) != ToAsciiLower(system)) {
    return std::nullopt;
  }
  return root + "\\Sysnative\\" + std::string(file.substr(system.size()));
}

DeviceIconRef ExtractDeviceIcon(std::string_view iconPath, DevicePlatform& platform) {
  const std::optional<IconLocation> at = ResolveIconPath(iconPath, platform);
  if (!at) return {};
  return platform.ExtractLargeIcon(at->File, at->Index);
}

TDefDeviceTrayIconData CarryOverProfile(const std::string& name, DeviceIconRef icon,
                                        const std::vector<TDefDeviceTrayIconData>& memory,
                                        const std::vector<TDefDeviceTrayIconData>& file,
                                        const settings::IconColours& global) {
  TDefDeviceTrayIconData r;
  r.DeviceName = name;
  r.DeviceIcon = std::move(icon);
  r.IsScheduleChange = false;
  r.ScheduleChangeTime = 0.0;
  r.IsShowOnMenu = true;
  r.NormalVolume = kDefaultNormalVolume;
  // Colours not decided yet; no colour value stands for "unset", so even a
  // colour of 0xFFFFFFFF in memory keeps its place.
  std::optional<uint32_t> text, back, bar;
  if (const TDefDeviceTrayIconData* m = FirstNamed(memory, name)) {
    text = m->TextColor;
    back = m->BackColor;
    r.IsScheduleChange = m->IsScheduleChange;
    r.ScheduleChangeTime = m->ScheduleChangeTime;
    r.IsShowOnMenu = m->IsShowOnMenu;
    bar = m->VolumeBarColor;
    r.NormalVolume = m->NormalVolume;
  }
  if (const TDefDeviceTrayIconData* f = FirstSavedAs(file, name)) {
    if (!text) text = f->TextColor;
    if (!back) back = f->BackColor;
    if (!r.IsScheduleChange) r.IsScheduleChange = f->IsScheduleChange;
    if (r.ScheduleChangeTime == 0.0) r.ScheduleChangeTime = f->ScheduleChangeTime;
    if (r.IsShowOnMenu) r.IsShowOnMenu = f->IsShowOnMenu;
    if (!bar) bar = f->VolumeBarColor;
    r.NormalVolume = f->NormalVolume;
  }
  r.TextColor = text.value_or(global.Text);
  r.BackColor = back.value_or(global.Back);
  r.VolumeBarColor = bar.value_or(kDefaultVolumeBarColour);
  return r;
}

void EnumeratePlaybackDevices(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window) {
  const std::unique_ptr<EndpointList> list = platform.ListPlaybackEndpoints();
  if (!list) return;
  const size_t count = list->Count();
  s.DeviceIDs.clear();
  s.DeviceNames.clear();
  // Destroying the items also takes them out of the menu.
  s.DeviceMenuItems.clear();
  s.InsertedDeviceItems.clear();
  if (count == 0) {
    const TimerPause<DeviceWindowPort> hold(window);
    window.ShowMessage(kNoPlaybackDeviceText);
    return;
  }
  const std::optional<std::string> defaultId = list->DefaultId();
  if (!defaultId) return;
  s.DeviceMenuItems.reserve(count);
  window.EnableDeviceHeader();
  const std::vector<TDefDeviceTrayIconData> saved = window.SavedDeviceProfiles(s.IconColours);

  std::vector<TDefDeviceTrayIconData> records;
  records.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    // A device that cannot be read ends the listing here: the items made so
    // far stay, the records of the last complete listing stay too.
    const std::optional<std::string> id = list->Id(i);
    if (!id) return;
    s.DeviceIDs.push_back(*id);
    std::optional<EndpointProperties> props = list->Properties(i);
    if (!props) return;
    DeviceIconRef icon = ExtractDeviceIcon(props->IconPath, platform);
    s.DeviceMenuItems.push_back({DeviceItemCaption(props->FriendlyName, i), static_cast<int>(i), false});
    s.DeviceNames.push_back(props->FriendlyName);
    records.push_back(CarryOverProfile(props->FriendlyName, icon, s.DeviceProfiles, saved, s.IconColours));
    if (*id == *defaultId) {
      s.DeviceMenuItems.back().Checked = true;
      s.DefaultDeviceName = props->FriendlyName;
      s.DefaultDeviceIcon = std::move(icon);
    }
  }
  s.DeviceProfiles = std::move(records);
}

void InsertDeviceMenuItems(app::MainWindowState& s) {
  s.InsertedDeviceItems.clear();
  for (size_t r = 0; r < s.DeviceProfiles.size(); ++r) {
    if (!s.DeviceProfiles[r].IsShowOnMenu) continue;
    // After a listing that stopped early, records and items can belong to
    // different devices: a record never shows another device's item.
    if (r >= s.DeviceMenuItems.size() || s.DeviceNames[r] != s.DeviceProfiles[r].DeviceName) continue;
    s.InsertedDeviceItems.push_back(r);
  }
}

void RebuildDeviceMenu(app::MainWindowState& s, DevicePlatform& platform, DeviceWindowPort& window) {
  s.InsertedDeviceItems.clear();
  EnumeratePlaybackDevices(s, platform, window);
  InsertDeviceMenuItems(s);
}

}  // namespace volmaru::devices
