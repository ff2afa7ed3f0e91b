// What the settings window needs from the rest of the program, implemented
// by the main window: a few values to show, the hand-over of the saved
// settings, and the commands of the window's menu and "確認" buttons. The
// window knows nothing else of the main window.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "settings/device_profile.h"
#include "settings/volume_schedule.h"
#include "settings/settings_store.h"

namespace volmaru::settings {

// The values the meter takes over when the settings are saved.
struct MeterHandOver {
  int Position = 0;
  bool AllwaysShow = false;
  int ShowTime = 10;
  bool IsNoShowPanelSetVolume = false;
  uint32_t Color = kDefaultMeterColour;
};

// The values the main window takes over when the settings are saved, in the
// order it applies them.
struct MainHandOver {
  KeyboardSettings Keyboard;
  IconColours Icon;
  std::vector<TDefDeviceTrayIconData> DeviceProfiles;
  bool WheelReverse = false;
  int VolumeChangeWaitTime = 0;
  int TrayIconWaitTime = 500;
  bool NoChangeByKey = false;  // the menu's check marks
  bool NoChangeByMouse = false;
  bool ScheduleUse = false;
  ScheduleTable Schedule{};
  // The schedule was edited: the main window rebuilds its table and applies
  // it once.
  bool ScheduleEdited = false;
};

// A click on one of the "確認" buttons of the schedule page: the normal
// volume, or band 0..2, with what the window shows for it.
enum class VolumeCheck { kNormalVolume, kBand0, kBand1, kBand2 };
struct VolumeCheckRequest {
  VolumeCheck which = VolumeCheck::kNormalVolume;
  std::string normalVolumeText;  // the field "通常の音量:" as typed
  int normalVolumeDevice = -1;   // the working profile that field belongs to
  int bandOffset = 0;            // the band's slider
  const std::vector<TDefDeviceTrayIconData>* workingProfiles = nullptr;
  // The normal volume's button is disabled while its check runs.
  std::function<void(bool)> enableNormalVolumeButton;
};

class SetteiHost {
 public:
  virtual ~SetteiHost() = default;

  // --- values shown -------------------------------------------------------
  virtual bool UseEndpointVolume() = 0;
  // A copy of the device profiles (with their icons).
  virtual std::vector<TDefDeviceTrayIconData> DeviceProfiles() = 0;
  virtual std::string DefaultDeviceName() = 0;
  virtual int LastVolume() = 0;
  // The caption of the popup menu item with that tag (100..107); nothing
  // when the menu has no such item.
  virtual std::optional<std::string> MenuCaption(int tag) = 0;
  // The program folder and the data folder, each with a trailing "\".
  virtual std::string ExeFolder() = 0;
  virtual std::string DataFolder() = 0;
  // The meter colour in effect now (kept when the saved colour cannot be
  // decided).
  virtual uint32_t MeterColour() = 0;
  virtual bool IconUpdating() = 0;

  // --- when the window opens and closes ------------------------------------
  virtual void CloseMeterIfVisible() = 0;
  virtual void ResetTrayPointedAt() = 0;
  // The meter comes back after the window closes when it is always shown.
  virtual void ShowMeterIfAlwaysShown() = 0;

  // --- OK ------------------------------------------------------------------
  virtual void HandOverKeyboardIconsAndProfiles(const MainHandOver& values) = 0;
  virtual void UpdateTrayIcon(int volume) = 0;
  virtual void HandOverInputMenuAndSchedule(const MainHandOver& values) = 0;
  // The meter takes its values and is drawn again when it is visible.
  virtual void HandOverMeter(const MeterHandOver& values) = 0;

  // --- while the window is open --------------------------------------------
  // The main timer, held by counted pauses (common/timer_pause.h).
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  // The flag the keyboard hook reads: while it is set no key changes the
  // volume. The window sets it the moment a capture starts or ends.
  virtual std::atomic<bool>& KeyCaptureFlag() = 0;
  virtual void ShowHelp() = 0;
  virtual void ShowVersion() = 0;
  // A "確認" button was clicked while the window is ready.
  virtual void CheckVolume(const VolumeCheckRequest& request) = 0;
};

}  // namespace volmaru::settings
