// Every section and key of "Settei.ini" with its kind and the value a missing
// key yields. Names are matched without regard to case by the file layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace volmaru::settings {

enum class ValueKind { kInteger, kBoolean, kColour, kString, kTimeOfDay };

struct Setting {
  std::string section;
  std::string key;
  ValueKind kind = ValueKind::kInteger;
  int32_t intDefault = 0;    // integers, booleans (0/1) and colours
  std::string textDefault;   // strings
  double timeDefault = 0.0;  // times of day (day fraction, -1 = no time)
};

inline Setting Int(std::string section, std::string key, int32_t def) {
  return {std::move(section), std::move(key), ValueKind::kInteger, def, {}, 0.0};
}
inline Setting Bool(std::string section, std::string key, bool def) {
  return {std::move(section), std::move(key), ValueKind::kBoolean, def ? 1 : 0, {}, 0.0};
}
inline Setting Colour(std::string section, std::string key, uint32_t def) {
  return {std::move(section), std::move(key), ValueKind::kColour, static_cast<int32_t>(def), {}, 0.0};
}
inline Setting Text(std::string section, std::string key, std::string def) {
  return {std::move(section), std::move(key), ValueKind::kString, 0, std::move(def), 0.0};
}
inline Setting Time(std::string section, std::string key, double def) {
  return {std::move(section), std::move(key), ValueKind::kTimeOfDay, 0, {}, def};
}

inline constexpr int kMeterPlaces = 5;         // bottom, centre, top, right, left
inline constexpr int kVisibleMenuEntries = 8;  // tags 100..107
inline constexpr int kScheduleGroups = 8;      // every day, Sunday..Saturday
inline constexpr int kScheduleBands = 3;

namespace keys {

// [VolumeBar]
extern const Setting VolumeBarPosition;
extern const Setting VolumeBarColorByIconColor;
extern const Setting VolumeBarChangeColorByDevice;
extern const Setting VolumeBarAllwaysShow;
extern const Setting VolumeBarShowTime;
extern const Setting VolumeBarIsShowByPointIcon;
extern const Setting VolumeBarIsNoShowPanelSetVolume;
extern const Setting VolumeBarColor;
// [FormPosX] / [FormPosY], key = meter place 0..4
Setting FormPosX(int place);
Setting FormPosY(int place);

// [KeyBoad]
extern const Setting MainKeyOnly;
extern const Setting MainKeyOnlyAsPagesRead;  // "MainkeyOnly": the same key
extern const Setting VolumeChangeValue;
extern const Setting MainKeyCode;
extern const Setting MainKeyName;
extern const Setting VolumeUpKeyCode;
extern const Setting VolumeUpKeyName;
extern const Setting VolumeDownKeyCode;
extern const Setting VolumeDownKeyName;
extern const Setting MuteKeyCode;
extern const Setting MuteKeyName;
extern const Setting LegacyMainKey;

// [Icon]
extern const Setting IconColor;
extern const Setting IconBackColor;
extern const Setting IconUseDefAudioDeviceIcon;
extern const Setting IconChangeIconColorByDevice;
extern const Setting IconDeviceIconDataCount;

// [DeviceIconData<i>]; the colours default to the [Icon] colours just read.
std::string DeviceSection(int index);
Setting DeviceName(int index);
Setting DeviceTextColor(int index, uint32_t iconColor);
Setting DeviceBackColor(int index, uint32_t iconBackColor);
Setting DeviceIsScheduleChange(int index);
Setting DeviceScheduleChangeTime(int index);
Setting DeviceIsShowOnMenu(int index);
Setting DeviceVolumeBarColor(int index);
Setting DeviceNormalVolume(int index);

// [VisibleMenuItems] Value<k>
Setting VisibleMenuItem(int entry);

// Single-value sections, key "Value"
extern const Setting WheelHokoChange;
extern const Setting VolumeChangeWaitTime;
extern const Setting TrayIconWaitTime;
extern const Setting NoChangeByKey;
extern const Setting NoChangeByMouse;
extern const Setting NoShowBalloonHint;
extern const Setting LegacyNoChangeByKeyAndMouse;

// [Schedule] (group 0, every day) and [Schedule1]..[Schedule7] (Sunday..Saturday)
std::string ScheduleSection(int group);
extern const Setting ScheduleUse;
extern const Setting LegacyScheduleNormalVolume;
Setting ScheduleStartTime(int group, int band);
Setting ScheduleEndTime(int group, int band);
Setting ScheduleVolume(int group, int band);

// [SavedVolume]
extern const Setting SavedVolumeCount;
Setting SavedVolume(int index);

// [VersionForm]; the defaults are the window's design size.
Setting VersionFormWidth(int designWidth);
Setting VersionFormHeight(int designHeight);

}  // namespace keys

inline constexpr uint32_t kDefaultMeterColour = 0x00FF00;
inline constexpr uint32_t kDefaultIconTextColour = 0xFFFFFF;
inline constexpr uint32_t kDefaultIconBackColour = 0xFF0000;
inline constexpr const char* kSettingsFileName = "Settei.ini";

}  // namespace volmaru::settings
