// Cost of our own code in a 100 ms tick with nothing to do: the platform
// answers from memory, so what is measured is the tick's logic and the
// volume operations' unchanged-volume path.
#include <benchmark/benchmark.h>

#include "app/timer_tick.h"
#include "volume/volume_ops.h"

namespace volmaru {
namespace {

class QuietEndpoint : public volume::EndpointPort {
 public:
  bool GetMasterVolumeLevelScalar(float& s) override {
    s = 0.5f;
    return true;
  }
  bool SetMasterVolumeLevelScalar(float) override { return true; }
  bool GetMute(int32_t& m) override {
    m = 0;
    return true;
  }
  bool SetMute(int32_t) override { return true; }
};

class QuietPlatform : public app::TickPort, public volume::VolumeView {
 public:
  volume::VolumeOps* ops = nullptr;
  uint32_t now = 1000;
  uint32_t Now() override { return now; }
  void InstallMissingHooks() override {}
  void ReadMute() override { ops->ReadMute(); }
  void ReadVolume() override { ops->ReadVolume(); }
  void ProcessPendingMessages() override {}
  bool Muted() override { return ops->Muted(); }
  bool ToggleMute() override { return false; }
  bool KeyDown(int) override { return false; }
  bool MiddleButtonDown() override { return false; }
  bool NoChangeByMouse() override { return false; }
  std::optional<meter::Rect> TaskbarRect() override { return meter::Rect{0, 1040, 1920, 40}; }
  app::Point Cursor() override { return {800, 500}; }
  bool MeterVisible() override { return false; }
  meter::Rect MeterRect() override { return {}; }
  void MakeMeterTopmost() override {}
  bool IsEditingBox() override { return false; }
  void ClearEditingBox() override {}
  int ShowTimeSeconds() override { return 10; }
  bool AllwaysShow() override { return false; }
  void ShowMeter() override {}
  void CloseMeter() override {}
  void RefreshMeter() override {}
  void DrawMeter() override {}
  void RepaintMeter() override {}
  bool SettingsVisible() override { return false; }
  bool PointingOptionOn() override { return true; }
  bool PopupMenuOpen() override { return false; }
  int SecondsOfMinute() override { return 30; }
  void ExpireScheduleMarks() override {}
  void ApplyVolumeSchedule() override {}
  void RunDeviceSchedule() override {}
  // VolumeView
  void SetTrayText(const std::string&) override {}
  void ShowTrayImage(int) override {}
  void SetMuteMenuCaption(std::string_view) override {}
  void ShowMeterKeepingForeground(bool) override {}
  void UpdateTrayIcon(int) override {}
  void PauseTimer() override {}
  void ResumeTimer() override {}
  void ShowMessage(std::string_view) override {}
  bool VolumeIconExists() override { return true; }
};

void BM_QuietTick(benchmark::State& state) {
  app::MainWindowState s;
  s.UseEndpointVolume = true;
  s.StartupComplete = true;
  s.LastVolume = 50;
  QuietEndpoint endpoint;
  QuietPlatform platform;
  volume::VolumeOps ops(s, &endpoint, nullptr, platform);
  platform.ops = &ops;
  for (auto _ : state) {
    platform.now += 100;
    app::Timer1Tick(s, platform);
  }
}
BENCHMARK(BM_QuietTick);

}  // namespace
}  // namespace volmaru
