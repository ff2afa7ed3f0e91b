// The main window as the settings window sees it: the values it shows, the
// hand-over of saved settings and the commands it asks for, and nothing
// else of the main window.
#pragma once

#include <memory>
#include <string>

#include "app/settei_handover.h"
#include "settings/window/settei_host.h"

namespace volmaru::app {

class TVolumeChangeForm;

}  // namespace volmaru::app

namespace volmaru::settings {
class SpeechEngine;
}

namespace volmaru::app {

// The decisions of the hand-over live in app/settei_handover.h; this class
// only forwards to them and carries them out on the main window.
class MainWindowSetteiHost final : public settings::SetteiHost, private HandOverPort {
 public:
  // The voice of the "確認" buttons is made with the settings window, at
  // start, and kept until the end.
  explicit MainWindowSetteiHost(TVolumeChangeForm& main);
  ~MainWindowSetteiHost() override;

  bool UseEndpointVolume() override;
  std::vector<TDefDeviceTrayIconData> DeviceProfiles() override;
  std::string DefaultDeviceName() override;
  int LastVolume() override;
  std::optional<std::string> MenuCaption(int tag) override;
  std::string ExeFolder() override;
  std::string DataFolder() override;
  uint32_t MeterColour() override;
  bool IconUpdating() override;
  void CloseMeterIfVisible() override;
  void ResetTrayPointedAt() override;
  void ShowMeterIfAlwaysShown() override;
  void HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& values) override;
  void UpdateTrayIcon(int volume) override;
  void HandOverInputMenuAndSchedule(const settings::MainHandOver& values) override;
  void HandOverMeter(const settings::MeterHandOver& values) override;
  void PauseTimer() override;
  void ResumeTimer() override;
  std::atomic<bool>& KeyCaptureFlag() override;
  void ShowHelp() override;
  void ShowVersion() override;
  void CheckVolume(const settings::VolumeCheckRequest& request) override;

 private:
  // HandOverPort
  void SyncHookState() override;
  void ApplyScheduleAfterSettings() override;

  TVolumeChangeForm& main_;
  std::unique_ptr<settings::SpeechEngine> speech_;
};

}  // namespace volmaru::app
