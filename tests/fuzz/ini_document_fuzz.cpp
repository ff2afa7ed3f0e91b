// Feeds arbitrary bytes to the settings file parser and editor: nothing may
// crash, and an edit must leave what it does not name readable as before.
// The same bytes as a settings file then go through the device sections the
// way start-up and every device listing read them: whatever the count and
// the names say, reading stays within what the file holds, names come out as
// text, and the listing never writes the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/text.h"
#include "devices/device_list.h"
#include "settings/ini_document.h"
#include "settings/settings_store.h"
#include "tests/devices/fake_device_platform.h"
#include "tests/devices/fake_device_window.h"
#include "tests/settings/fake_files.h"

using volmaru::settings::IniDocument;

namespace {

void DeviceSections(const std::string& bytes) {
  using namespace volmaru;
  settings::testing::FakeFiles fs;
  fs.files["/Settei.ini"] = bytes;
  settings::ProfileFile file(fs, "/Settei.ini");
  settings::SettingsStore store(file, settings::JapaneseDateTimeFormat());
  const std::vector<TDefDeviceTrayIconData> saved = store.ReadDeviceProfiles(settings::IconColours{});
  // At most one profile per section header, each of which takes 3 bytes.
  if (saved.size() > bytes.size() / 3) __builtin_trap();
  for (const TDefDeviceTrayIconData& p : saved) {
    if (Utf16ToUtf8(Utf8ToUtf16(p.DeviceName)) != p.DeviceName) __builtin_trap();
  }

  // Devices named after the first records (and one the file does not know).
  app::MainWindowState s;
  s.DeviceProfiles = saved;
  devices::testing::FakeDevicePlatform platform;
  for (size_t i = 0; i < saved.size() && i < 3; ++i) {
    platform.endpoints.push_back({"{" + std::to_string(i) + "}", saved[i].DeviceName, "%X%\\a.dll,-1"});
  }
  platform.endpoints.push_back({"{new}", "New device", ""});
  platform.defaultId = "{new}";
  devices::testing::FakeDeviceWindow window;
  window.store = &store;
  devices::RebuildDeviceMenu(s, platform, window);
  if (s.DeviceProfiles.size() != platform.endpoints.size()) __builtin_trap();
  for (const size_t k : s.InsertedDeviceItems) {
    if (k >= s.DeviceMenuItems.size() || !s.DeviceProfiles[k].IsShowOnMenu) __builtin_trap();
  }
  if (s.DefaultDeviceName != "New device" || fs.writes != 0) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::Parse(bytes);
  if (doc.Serialize() != bytes) __builtin_trap();
  (void)doc.Get("KeyBoad", "MainKeyCode");
  (void)doc.Keys("Schedule");
  const auto before = doc.Get("Icon", "Color");
  doc.Set("KeyBoad", "MainKeyCode", "29");
  if (doc.Get("KeyBoad", "MainKeyCode") != std::optional<std::string>("29")) __builtin_trap();
  if (doc.Get("Icon", "Color") != before) __builtin_trap();
  doc.DeleteKey("KeyBoad", "MainKeyCode");
  if (doc.Get("KeyBoad", "MainKeyCode").has_value()) __builtin_trap();
  doc.EraseSection("Icon");
  if (doc.HasSection("Icon")) __builtin_trap();
  IniDocument again = IniDocument::Parse(doc.Serialize());
  if (again.Serialize() != doc.Serialize()) __builtin_trap();
  DeviceSections(bytes);
  return 0;
}
