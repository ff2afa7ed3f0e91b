// Costs of the settings file paths: start-up reads every key of one reading
// of the file, and the settings window's save (~60 keys) is one replacement
// of it. The disk benchmarks run on the real file system, flush included,
// in a folder beside the build (not a RAM-backed /tmp): a full save should
// cost about what one key costs.
#include <benchmark/benchmark.h>

#include <filesystem>

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

// A folder on the disk the build is on.
std::string DiskFolder() {
  const std::filesystem::path dir = std::filesystem::current_path() / "settings-bench-files";
  std::filesystem::create_directories(dir);
  return dir.string();
}

void BM_DiskSingleKeyWrite(benchmark::State& state) {
  const std::string path = DiskFolder() + "/Settei.ini";
  FilePort& files = SystemFiles();
  files.ReplaceFile(path, TypicalFile());
  ProfileFile file(files, path);
  SettingsStore store(file, JapaneseDateTimeFormat());
  bool on = false;
  for (auto _ : state) store.WriteToggle(SettingsStore::Toggle::kNoChangeByKey, on = !on);
}
BENCHMARK(BM_DiskSingleKeyWrite)->Unit(benchmark::kMillisecond);

void BM_DiskFullSave(benchmark::State& state) {
  const std::string path = DiskFolder() + "/Settei.ini";
  FilePort& files = SystemFiles();
  files.ReplaceFile(path, TypicalFile());
  ProfileFile file(files, path);
  SettingsStore store(file, JapaneseDateTimeFormat());
  PageSettings pages = store.LoadPages();
  const auto profiles = store.LoadMainWindow().DeviceProfiles;
  for (auto _ : state) {
    pages.Keyboard.VolumeStep = pages.Keyboard.VolumeStep % 100 + 1;  // something really changes
    store.SaveSettingsWindow(pages, profiles);
  }
}
BENCHMARK(BM_DiskFullSave)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace volmaru::settings
