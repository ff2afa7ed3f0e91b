// Costs of the saved volume list at the meter's creation: reading the
// [SavedVolume] section of a file whose "Count" is absurd (the read stops at
// kMaxSavedVolumes), and putting that many entries into the list in the
// sorted control's order.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "meter/list_order.h"
#include "meter/saved_volume_box.h"
#include "settings/settings_store.h"
#include "tests/settings/fake_files.h"

namespace volmaru::meter {
namespace {

// The box's surroundings doing nothing: only the list itself is measured.
class QuietBoxPort final : public SetVolumeBoxPort {
 public:
  std::string EditText() override { return {}; }
  void SetEditText(std::string_view) override {}
  void InsertItem(size_t, std::string_view) override {}
  void DeleteItem(size_t) override {}
  int SelectedIndex() override { return -1; }
  void EnableDeleteButton(bool) override {}
  void FocusApplyButton() override {}
  void BringDropDownToFront() override {}
  void SetBoxHeight(int) override {}
  void SetBarVisible(bool) override {}
  void Inform(std::string_view, std::string_view) override {}
  bool Ask(std::string_view) override { return false; }
  void SetEditingBox(bool) override {}
  void PauseTimer() override {}
  void ResumeTimer() override {}
  void ProcessPendingMessages() override {}
  bool SetVolume(int) override { return true; }
  void DrawMeter() override {}
  uint32_t Now() override { return 0; }
  void SetLastVolumeStepAt(uint32_t) override {}
  int LastVolume() override { return 0; }
  int MainKeyCode() override { return 29; }
  bool MainKeyDown() override { return false; }
  BoxPoint Cursor() override { return {}; }
  BoxPoint TrayPointPos() override { return {}; }
  void SaveAddedVolume(int, int) override {}
  void RewriteSavedVolumes(const std::vector<int>&) override {}
};

// A file claiming two billion saved volumes, holding the first thousand.
std::string HugeCountFile() {
  std::string text = "[SavedVolume]\r\nCount=2147483647\r\n";
  for (int i = 0; i < settings::kMaxSavedVolumes; ++i) {
    text += std::to_string(i) + "=" + std::to_string(i % 101) + "\r\n";
  }
  return text;
}

void BM_LoadMeterWithHugeCount(benchmark::State& state) {
  settings::testing::FakeFiles fs;
  fs.files["Settei.ini"] = HugeCountFile();
  settings::ProfileFile file(fs, "Settei.ini");
  settings::SettingsStore store(file, settings::JapaneseDateTimeFormat());
  for (auto _ : state) benchmark::DoNotOptimize(store.LoadMeter());
}
BENCHMARK(BM_LoadMeterWithHugeCount)->Unit(benchmark::kMillisecond);

void BM_FillListOfAThousand(benchmark::State& state) {
  std::vector<int> saved;
  for (int i = 0; i < settings::kMaxSavedVolumes; ++i) saved.push_back(i % 3 == 0 ? -1 : (i * 37) % 101);
  for (auto _ : state) {
    QuietBoxPort port;
    SetVolumeBox box(port);
    box.Load(saved);
    benchmark::DoNotOptimize(box.items().data());
  }
}
BENCHMARK(BM_FillListOfAThousand)->Unit(benchmark::kMillisecond);

void BM_CompareVolumes(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(CompareListText("100", "20"));
}
BENCHMARK(BM_CompareVolumes);

}  // namespace
}  // namespace volmaru::meter
