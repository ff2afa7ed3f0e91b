// A settings-window host for tests: the values it shows are fields, and it
// records what the window hands over and asks for.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "settings/window/settei_host.h"

namespace volmaru::settings::testing {

class FakeSetteiHost final : public SetteiHost {
 public:
  bool endpoint = true;
  std::vector<TDefDeviceTrayIconData> profiles;
  std::string defaultName;
  std::string exeFolder = "C:\\";
  std::string dataFolder = "C:\\";
  uint32_t meterColour = 0x00FF00;
  bool iconUpdating = false;
  int lastVolume = 42;
  std::vector<std::string> calls;
  MainHandOver main;
  MeterHandOver meter;
  std::vector<VolumeCheckRequest> checks;
  int pauses = 0;
  int holds = 0;
  std::atomic<bool> captureFlag{false};

  bool UseEndpointVolume() override { return endpoint; }
  std::vector<TDefDeviceTrayIconData> DeviceProfiles() override { return profiles; }
  std::string DefaultDeviceName() override { return defaultName; }
  int LastVolume() override { return lastVolume; }
  std::optional<std::string> MenuCaption(int tag) override { return "item" + std::to_string(tag); }
  std::string ExeFolder() override { return exeFolder; }
  std::string DataFolder() override { return dataFolder; }
  uint32_t MeterColour() override { return meterColour; }
  bool IconUpdating() override { return iconUpdating; }
  void CloseMeterIfVisible() override { calls.push_back("close meter"); }
  void ResetTrayPointedAt() override { calls.push_back("reset pointing"); }
  void ShowMeterIfAlwaysShown() override { calls.push_back("meter again"); }
  void HandOverKeyboardIconsAndProfiles(const MainHandOver& v) override {
    main = v;
    calls.push_back("keyboard");
  }
  void UpdateTrayIcon(int volume) override { calls.push_back("icon " + std::to_string(volume)); }
  void HandOverInputMenuAndSchedule(const MainHandOver&) override { calls.push_back("input"); }
  void HandOverMeter(const MeterHandOver& v) override {
    meter = v;
    calls.push_back("meter");
  }
  void PauseTimer() override {
    ++pauses;
    ++holds;
  }
  void ResumeTimer() override { --holds; }
  std::atomic<bool>& KeyCaptureFlag() override { return captureFlag; }
  void ShowHelp() override { calls.push_back("help"); }
  void ShowVersion() override { calls.push_back("version"); }
  void CheckVolume(const VolumeCheckRequest& r) override { checks.push_back(r); }
};

}  // namespace volmaru::settings::testing
