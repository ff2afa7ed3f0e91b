// Cost of our own code in a 100 ms tick with nothing to do: the platform
// answers from memory, so what is measured is the tick's logic and the
// volume operations' unchanged-volume path.
#include <benchmark/benchmark.h>

#include "app/timer_tick.h"
#include "schedule/schedule_runtime.h"
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

class QuietPlatform : public app::TickPort,
                      public volume::VolumeView,
                      public schedule::ScheduleVolumePort,
                      public schedule::DeviceSchedulePort {
 public:
  volume::VolumeOps* ops = nullptr;
  app::MainWindowState* state = nullptr;
  schedule::LocalTime clock;  // a quiet moment: no band starts or ends
  int seconds = 30;
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
  std::vector<meter::Rect> TaskbarRects() override { return {meter::Rect{0, 1040, 1920, 40}}; }
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
  int SecondsOfMinute() override { return seconds; }
  void ExpireScheduleMarks() override { state->ScheduleRuntime.ExpireStaleMarks(clock.date); }
  void ApplyVolumeSchedule() override {
    schedule::ApplyVolumeSchedule(state->ScheduleRuntime, state->DeviceProfiles, state->DefaultDeviceName, clock,
                                  *this);
  }
  void RunDeviceSchedule() override {
    schedule::RunDeviceSchedule(state->DeviceProfiles, clock, state->DeviceSchedule, *this);
  }
  // The schedules' ports.
  void SetScheduledVolume(int) override {}
  bool StartupComplete() override { return true; }
  void ShowMeterForChange() override {}
  void RunPointingHandler() override {}
  const std::string& DefaultDeviceName() override { return state->DefaultDeviceName; }
  bool SwitchToDevice(const std::string&, bool) override { return true; }
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
  platform.state = &s;
  for (auto _ : state) {
    platform.now += 100;
    app::Timer1Tick(s, platform);
  }
}
BENCHMARK(BM_QuietTick);

// The same tick with the schedules at their busiest quiet moment: every band
// of all eight day groups set, three device records with daily switches,
// and the first ten seconds of a minute (the bands are evaluated).
void BM_ScheduledTick(benchmark::State& state) {
  app::MainWindowState s;
  s.UseEndpointVolume = true;
  s.StartupComplete = true;
  s.LastVolume = 50;
  s.ScheduleUse = true;
  ScheduleTable table{};
  for (size_t g = 0; g < table.size(); ++g) {
    for (size_t b = 0; b < 3; ++b) table[g][b] = {(6.0 + 4.0 * b) / 24, (8.0 + 4.0 * b) / 24, -10};
  }
  s.ScheduleRuntime.inUse = true;
  s.ScheduleRuntime.Rebuild(table);
  s.ScheduleRuntime.normalRestored = true;  // nothing to set at 20:00
  for (const char* name : {"Speakers", "HDMI", "Headphones"}) {
    TDefDeviceTrayIconData p;
    p.DeviceName = name;
    p.IsScheduleChange = true;
    p.ScheduleChangeTime = 7.0 / 24;
    s.DeviceProfiles.push_back(p);
  }
  s.DefaultDeviceName = "Speakers";
  QuietEndpoint endpoint;
  QuietPlatform platform;
  platform.seconds = 5;
  platform.clock.date = {2026, 12, 7};
  platform.clock.weekday = 2;
  platform.clock.hour = 20;
  platform.clock.second = 5;
  s.ScheduleRuntime.normalRestoredOn = platform.clock.date;
  volume::VolumeOps ops(s, &endpoint, nullptr, platform);
  platform.ops = &ops;
  platform.state = &s;
  for (auto _ : state) {
    platform.now += 100;
    app::Timer1Tick(s, platform);
  }
}
BENCHMARK(BM_ScheduledTick);

}  // namespace
}  // namespace volmaru
