// Cost of listing the playback devices, which runs at every opening of the
// tray menu: the rules over a fake platform with the settings file in
// memory (the platform's own calls come on top; the end-to-end run times the
// whole opening under Wine).
#include <benchmark/benchmark.h>

#include "devices/device_list.h"
#include "tests/devices/fake_device_platform.h"
#include "tests/devices/fake_device_window.h"
#include "tests/settings/fake_files.h"

namespace volmaru::devices {
namespace {

// `devices` endpoints, each with a saved section (when `saved`) and an
// icon path.
void Listing(benchmark::State& state, bool saved) {
  const int n = static_cast<int>(state.range(0));
  settings::testing::FakeFiles fs;
  settings::ProfileFile file(fs, "Settei.ini");
  settings::SettingsStore store(file, settings::JapaneseDateTimeFormat());
  testing::FakeDevicePlatform platform;
  platform.env["SystemRoot"] = "C:\\Windows";
  std::vector<TDefDeviceTrayIconData> profiles;
  for (int i = 0; i < n; ++i) {
    const std::string name = "スピーカー " + std::to_string(i) + " (High Definition Audio デバイス)";
    platform.endpoints.push_back(
        {"{0.0.0.00000000}.{" + std::to_string(i) + "}", name, "%SystemRoot%\\system32\\mmres.dll,-3004"});
    TDefDeviceTrayIconData p;
    p.DeviceName = name;
    profiles.push_back(p);
  }
  platform.defaultId = platform.endpoints.front().Id;
  if (saved) store.SaveSettingsWindow(settings::PageSettings{}, profiles);
  testing::FakeDeviceWindow window;
  window.store = &store;
  app::MainWindowState s;
  for (auto _ : state) {
    RebuildDeviceMenu(s, platform, window);
    benchmark::DoNotOptimize(s.InsertedDeviceItems.data());
  }
}

void BM_DeviceListing(benchmark::State& state) { Listing(state, false); }
BENCHMARK(BM_DeviceListing)->Arg(3)->Arg(8);

void BM_DeviceListingWithSavedProfiles(benchmark::State& state) { Listing(state, true); }
BENCHMARK(BM_DeviceListingWithSavedProfiles)->Arg(3)->Arg(8);

}  // namespace
}  // namespace volmaru::devices
