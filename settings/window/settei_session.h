// The settings window's values and what it does with them, apart from the
// controls: loading the pages from the file, opening, OK with its checks,
// the one save and the hand-over, Cancel, the close query, and the handlers
// whose effect is more than a copied value. The window moves values between
// its controls and this session; everything here is tested without one.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "schedule/device_schedule_editing.h"
#include "schedule/schedule_editing.h"
#include "settings/file_port.h"
#include "settings/window/settei_host.h"
#include "settings/window/settei_rules.h"
#include "settings/settings_store.h"

namespace volmaru::settings {

// A field the window can put the focus on.
enum class SetteiField { kStep, kShowTime, kNormalVolume, kBandTime };
struct FocusTarget {
  SetteiField field = SetteiField::kStep;
  int band = -1;  // kBandTime: band 0..2
  int part = -1;  // kBandTime: 0 start hour, 1 start minute, 2 end hour, 3 end minute
};

// What the session asks of the window.
class SetteiUi {
 public:
  virtual ~SetteiUi() = default;
  virtual void ShowMessage(std::string_view text) = 0;
  // A Yes/No question titled "ボルマル"; true for Yes.
  virtual bool AskYesNo(std::string_view text) = 0;
  virtual void ShowPage(SetteiPage page) = 0;
  virtual void Focus(const FocusTarget& target) = 0;
};

// The settings file as the window uses it.
class SetteiStorage {
 public:
  virtual ~SetteiStorage() = default;
  virtual bool Exists() = 0;
  virtual PageSettings LoadPages() = 0;
  // Creates the data folder when it is missing.
  virtual void EnsureDataFolder() = 0;
  // Writes every value of the window at once: either all of them reach the
  // file or none does (SettingsWriteError).
  virtual void Save(const PageSettings& pages, const std::vector<TDefDeviceTrayIconData>& profiles) = 0;
};

// The file at `settingsPath` in the folder `dataFolder` (no trailing
// separator), read and written through a SettingsStore.
class FileSetteiStorage final : public SetteiStorage {
 public:
  FileSetteiStorage(FilePort& files, std::string dataFolder, std::string settingsPath, DateTimeFormat format)
      : files_(files), dataFolder_(std::move(dataFolder)), path_(std::move(settingsPath)), format_(std::move(format)) {}
  bool Exists() override;
  PageSettings LoadPages() override;
  void EnsureDataFolder() override;
  void Save(const PageSettings& pages, const std::vector<TDefDeviceTrayIconData>& profiles) override;

 private:
  FilePort& files_;
  std::string dataFolder_;
  std::string path_;
  DateTimeFormat format_;
};

class SetteiSession {
 public:
  SetteiSession(SetteiHost& host, SetteiStorage& storage);

  // --- the window's values --------------------------------------------------
  // Every page value; the switches other parts read live are among them.
  PageSettings values;
  // The digit fields as typed (checked by OK).
  std::string stepText = "3";
  std::string showTimeText = "10";
  std::vector<TDefDeviceTrayIconData> WorkingProfiles;
  // The entries selected in the device lists (-1 = none): the icon page's,
  // the meter page's and the daily device change's.
  int iconDevice = -1;
  int meterDevice = -1;
  int scheduleDevice = -1;
  // The schedule page.
  schedule::ScheduleEditor schedule;
  schedule::DayFields dayFields;  // the band rows of the displayed day
  schedule::NormalVolumeEditor normal;
  std::string normalVolumeText;
  schedule::DeviceScheduleView deviceSchedule;
  bool DeviceScheduleLoading = false;
  KeyCapture capture;
  // Whether the meter's by-device switch may be used (see settei_rules.h).
  bool meterByDeviceUsable = false;

  bool IsReady = false;
  bool HasUnsavedChanges = false;
  bool CloseAllowed = false;
  bool useEndpoint() const { return useEndpoint_; }

  DependentStates States() const;

  // --- flows ------------------------------------------------------------------
  // Creation: the values the window starts with.
  void Create();
  // Reads the pages from the file (creation and each opening). Without a
  // file only the schedule is reset.
  void LoadPageValues();
  // The opening, apart from filling the controls.
  void Open();
  enum class OkResult {
    kClosed,   // nothing was changed: the window closes without saving
    kSaved,    // saved and handed over: the window closes
    kRefused,  // a value was refused with its message: the window stays open
    kFailed,   // the file refused the save: nothing saved, nothing handed over
  };
  OkResult Ok(SetteiUi& ui);
  // Cancel: the values go back to the file's (defaults where it has none).
  void Cancel();
  // Any other closing: true when the window may close.
  bool CloseQuery(SetteiUi& ui);
  // The window was closed (hidden), whatever way.
  void OnClose();

  // --- handlers ---------------------------------------------------------------
  // A control changed: the window counts as changed once it is ready.
  void Changed() {
    if (IsReady) HasUnsavedChanges = true;
  }
  void ColourSourceChanged(int source);
  // The device selected on the icon page, or a device colour there.
  void IconDeviceColoursChanged(uint32_t text, uint32_t back);
  void MeterDeviceColourChanged(uint32_t colour);
  // The colours the preview shows: the selected device's when the icon
  // colours follow the device, otherwise the global ones.
  IconColours PreviewColours() const;
  // The menu toggles "キーボード操作では…" / "マウス操作では…" while the window is
  // visible.
  void MenuSwitchToggled(bool noChangeByKey, bool checked);

  // Key capture. A click on a "変更"/"確定" button.
  KeyCapture::Click ToggleCapture(int tag);
  // A key arrived while a slot runs; false when none does.
  bool CaptureKey(int vk, KeyNamePort& layout);
  KeyBinding& Binding(int tag);

  // The schedule page.
  schedule::ScheduleEditor::SelectResult SelectDay(int group);
  void ScheduleFieldChanged();
  // A device chosen in the normal-volume list: the field shows that
  // device's value and belongs to it, also after a pending value was
  // refused (its message shown).
  void ChooseNormalVolumeDevice(int index, SetteiUi& ui);
  void NormalVolumeTyped();
  // The group's "OK"; false when the value was refused (message shown).
  bool StoreNormalVolume(SetteiUi& ui);
  void ShowScheduleDevice(int index);
  void DeviceChangeTicked(bool on, SetteiUi& ui);
  void DeviceTimeKeyReleased(SetteiUi& ui);

 private:
  PageSettings ClampedForDisplay(PageSettings p) const;
  void TakeValues(const PageSettings& p);
  void RestoreFromFile();
  void SetCaptureFlag();

  SetteiHost& host_;
  SetteiStorage& storage_;
  bool useEndpoint_ = false;
};

}  // namespace volmaru::settings
