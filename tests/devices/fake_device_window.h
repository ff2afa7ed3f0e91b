// The main window as the device rules see it, recording what they ask of it
// (shared by the host tests and the Windows tests).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/main_window_state.h"
#include "devices/device_platform.h"

namespace volmaru::devices::testing {

class FakeDeviceWindow : public DeviceWindowPort {
 public:
  std::vector<std::string> log;
  std::vector<std::string> messages;
  // What the settings file holds; a store, when given, reads the real file.
  std::vector<TDefDeviceTrayIconData> saved;
  settings::SettingsStore* store = nullptr;
  int fileReads = 0;
  bool headerEnabled = false;
  bool acquireOk = true;
  bool balloonOff = false;
  bool follows = false;
  int timerHolds = 0;
  std::string tip;
  std::function<void()> onReadVolume;  // what reading the rebound device changes

  std::vector<TDefDeviceTrayIconData> SavedDeviceProfiles(const settings::IconColours& global) override {
    ++fileReads;
    return store ? store->ReadDeviceProfiles(global) : saved;
  }
  void EnableDeviceHeader() override { headerEnabled = true; }
  void ShowMessage(std::string_view text) override {
    messages.emplace_back(text);
    log.push_back(std::string(timerHolds > 0 ? "message (timer held) " : "message ") + std::string(text));
  }
  void PauseTimer() override {
    ++timerHolds;
    log.push_back("timer off");
  }
  void ResumeTimer() override {
    --timerHolds;
    log.push_back("timer on");
  }
  void Sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }
  bool AcquireEndpointVolume() override {
    log.push_back("acquire");
    return acquireOk;
  }
  void ReadAfterRebind() override {
    log.push_back("read volume");
    if (onReadVolume) onReadVolume();
  }
  void SetBalloonAndTip(const std::string& text) override {
    tip = text;
    log.push_back("tip");
  }
  void ShowBalloon() override { log.push_back("balloon"); }
  bool BalloonHintsOff() override { return balloonOff; }
  void RedrawIcon(int volume) override { log.push_back("icon " + std::to_string(volume)); }
  bool IconFollowsDevice() override { return follows; }
};

}  // namespace volmaru::devices::testing
