// Costs of the settings file paths: start-up reads every key through the
// file, and the settings window's save writes ~60 keys one by one.
#include <benchmark/benchmark.h>

#include "settings/ini_document.h"
#include "settings/settings_store.h"
#include "tests/settings/fake_files.h"

namespace volmaru::settings {
namespace {

std::string TypicalFile() {
  testing::FakeFiles fs;
  ProfileFile file(fs, "Settei.ini");
  SettingsStore store(file, JapaneseDateTimeFormat());
  PageSettings pages;
  pages.ScheduleUse = true;
  for (auto& group : pages.Schedule) group[0] = {0.25, 0.5, -5};
  std::vector<TDefDeviceTrayIconData> profiles(3);
  store.SaveSettingsWindow(pages, profiles);
  return fs.files["Settei.ini"];
}

void BM_ParseTypicalFile(benchmark::State& state) {
  const std::string text = TypicalFile();
  for (auto _ : state) benchmark::DoNotOptimize(IniDocument::Parse(text));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseTypicalFile);

void BM_StartupLoad(benchmark::State& state) {
  testing::FakeFiles fs;
  fs.files["Settei.ini"] = TypicalFile();
  ProfileFile file(fs, "Settei.ini");
  SettingsStore store(file, JapaneseDateTimeFormat());
  for (auto _ : state) {
    store.RunMigrations();
    benchmark::DoNotOptimize(store.LoadMainWindow());
  }
}
BENCHMARK(BM_StartupLoad)->Unit(benchmark::kMicrosecond);

void BM_SettingsWindowSave(benchmark::State& state) {
  testing::FakeFiles fs;
  fs.files["Settei.ini"] = TypicalFile();
  ProfileFile file(fs, "Settei.ini");
  SettingsStore store(file, JapaneseDateTimeFormat());
  const PageSettings pages = store.LoadPages();
  const auto profiles = store.LoadMainWindow().DeviceProfiles;
  for (auto _ : state) store.SaveSettingsWindow(pages, profiles);
}
BENCHMARK(BM_SettingsWindowSave)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace volmaru::settings
