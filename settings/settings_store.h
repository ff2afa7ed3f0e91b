// Reads and writes the program's settings in "Settei.ini" with their kinds,
// defaults and migrations. Every operation (a load, the migrations, a menu
// toggle, the settings window's save, a saved-volume edit) is one
// transaction of the file: it is read once, and an operation that writes
// replaces it once with all of its edits, or, when that fails, throws
// SettingsWriteError having written nothing. Each write still names its
// keys, so windows that write their own keys never disturb the others.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/device_profile.h"
#include "settings/key_binding.h"
#include "settings/volume_schedule.h"
#include "settings/profile_file.h"
#include "settings/settings_schema.h"
#include "settings/time_format.h"

namespace volmaru::settings {

struct KeyboardSettings {
  bool MainKeyOnly = true;
  int VolumeStep = 3;  // "VolumeChangeValue"
  KeyBinding MainKey{29, "無変換"};
  KeyBinding VolumeUpKey{39, "→"};
  KeyBinding VolumeDownKey{37, "←"};
  KeyBinding MuteKey{40, "↓"};
  bool operator==(const KeyboardSettings&) const = default;
};

struct IconColours {
  uint32_t Text = kDefaultIconTextColour;
  uint32_t Back = kDefaultIconBackColour;
  bool operator==(const IconColours&) const = default;
};

// What the main window holds from the file (loaded at start-up).
struct MainWindowSettings {
  KeyboardSettings Keyboard;
  IconColours Icon;
  std::vector<TDefDeviceTrayIconData> DeviceProfiles;
  bool WheelReverse = false;     // [WheelHokoChange]
  int VolumeChangeWaitTime = 0;  // ms
  int TrayIconWaitTime = 500;    // ms
  bool NoChangeByKey = false;    // menu check marks
  bool NoChangeByMouse = false;
  bool NoShowBalloonHint = false;
  bool ScheduleUse = false;
  ScheduleTable Schedule{};
};

// At most this many saved volumes are loaded: a damaged or hostile "Count"
// must not make the meter read or hold without bound.
inline constexpr int kMaxSavedVolumes = 1000;

struct MeterPosition {
  int X = 0;
  int Y = 0;
  // A 0 in either coordinate means no saved position.
  bool IsSet() const { return X != 0 && Y != 0; }
  bool operator==(const MeterPosition&) const = default;
};

// What the volume meter holds (loaded at its creation).
struct MeterSettings {
  int Position = 0;  // 0 bottom, 1 centre, 2 top, 3 right, 4 left
  bool AllwaysShow = false;
  int ShowTime = 10;  // seconds
  bool IsNoShowPanelSetVolume = false;
  uint32_t Color = kDefaultMeterColour;
  std::array<MeterPosition, kMeterPlaces> Places{};
  // Saved volumes; -1 is a blank entry. At most kMaxSavedVolumes.
  std::vector<int> SavedVolumes;
};

// Every value of the settings window's pages, in the order they are saved.
struct PageSettings {
  // [VolumeBar]
  int Position = 0;
  int ColorByIconColor = 0;
  bool ChangeColorByDevice = false;
  bool AllwaysShow = false;
  int ShowTime = 10;
  bool IsShowByPointIcon = true;
  bool IsNoShowPanelSetVolume = false;
  uint32_t MeterColor = kDefaultMeterColour;
  // [KeyBoad]
  KeyboardSettings Keyboard;
  // [Icon]
  IconColours Icon;
  bool UseDefAudioDeviceIcon = false;
  bool ChangeIconColorByDevice = false;
  std::array<bool, kVisibleMenuEntries> VisibleMenuItems{true, true, true, true, true, true, true, true};
  // single-value sections
  bool WheelReverse = false;
  int VolumeChangeWaitTime = 0;
  int TrayIconWaitTime = 500;
  bool NoChangeByKey = false;
  bool NoChangeByMouse = false;
  // [Schedule]
  bool ScheduleUse = false;
  ScheduleTable Schedule{};
};

// The integer reading of the profile values: decimal, or hexadecimal after
// "0x", "0X" or "$", with an optional sign; nothing for empty or other text.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

class SettingsStore {
 public:
  SettingsStore(ProfileFile& file, DateTimeFormat format) : file_(file), format_(std::move(format)) {}

  ProfileFile& file() { return file_; }

  // Typed access through the schema; a missing or malformed value gives
  // the setting's default.
  int32_t ReadInt(const Setting& s) const;
  bool ReadBool(const Setting& s) const;
  uint32_t ReadColour(const Setting& s) const;
  std::string ReadString(const Setting& s) const;
  double ReadTime(const Setting& s) const;
  void WriteInt(const Setting& s, int32_t value);
  void WriteBool(const Setting& s, bool value);
  void WriteColour(const Setting& s, uint32_t value);
  void WriteString(const Setting& s, std::string_view value);
  void WriteTime(const Setting& s, double dayFraction);
  void Delete(const Setting& s);

  // Older layouts brought up to date; run at start-up before any read.
  void RunMigrations();

  MainWindowSettings LoadMainWindow() const;
  MeterSettings LoadMeter() const;
  PageSettings LoadPages() const;
  KeyboardSettings ReadKeyboard(const Setting& mainKeyOnly) const;
  // The profile sections below "DeviceIconDataCount" that the file holds,
  // in index order (an index without its section has nothing to read).
  std::vector<TDefDeviceTrayIconData> ReadDeviceProfiles(const IconColours& icon) const;
  ScheduleTable ReadSchedule() const;

  // The settings window's OK, key by key in the file's order.
  void SaveSettingsWindow(const PageSettings& pages, const std::vector<TDefDeviceTrayIconData>& profiles);
  void WriteSchedule(const ScheduleTable& schedule);

  enum class Toggle { kNoChangeByKey, kNoChangeByMouse, kNoShowBalloonHint };
  void WriteToggle(Toggle which, bool checked);
  void WriteMeterPosition(int place, MeterPosition pos);
  // Adds the entry `index` (0-based) and the new count.
  void AddSavedVolume(int index, int volume);
  // Erases the list and writes it anew (after a deletion).
  void RewriteSavedVolumes(const std::vector<int>& volumes);
  void WriteVersionWindowSize(int width, int height);
  // Read only when the file exists; otherwise the design size.
  std::pair<int, int> ReadVersionWindowSize(int designWidth, int designHeight) const;

 private:
  std::vector<int> PresentDeviceSections(int count) const;

  ProfileFile& file_;
  DateTimeFormat format_;
};

}  // namespace volmaru::settings
