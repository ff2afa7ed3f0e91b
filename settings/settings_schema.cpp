#include "settings/settings_schema.h"

namespace volmaru::settings::keys {
namespace {
const char* const kVolumeBar = "VolumeBar";
const char* const kKeyBoad = "KeyBoad";
const char* const kIcon = "Icon";
}  // namespace

const Setting VolumeBarPosition = Int(kVolumeBar, "Position", 0);
const Setting VolumeBarColorByIconColor = Int(kVolumeBar, "ColorByIconColor", 0);
const Setting VolumeBarChangeColorByDevice = Bool(kVolumeBar, "ChangeColorByDevice", false);
const Setting VolumeBarAllwaysShow = Bool(kVolumeBar, "AllwaysShow", false);
const Setting VolumeBarShowTime = Int(kVolumeBar, "ShowTime", 10);
const Setting VolumeBarIsShowByPointIcon = Bool(kVolumeBar, "IsShowByPointIcon", true);
const Setting VolumeBarIsNoShowPanelSetVolume = Bool(kVolumeBar, "IsNoShowPanelSetVolume", false);
const Setting VolumeBarColor = Colour(kVolumeBar, "Color", kDefaultMeterColour);
Setting FormPosX(int place) { return Int("FormPosX", std::to_string(place), 0); }
Setting FormPosY(int place) { return Int("FormPosY", std::to_string(place), 0); }

const Setting MainKeyOnly = Bool(kKeyBoad, "MainKeyOnly", true);
const Setting MainKeyOnlyAsPagesRead = Bool(kKeyBoad, "MainkeyOnly", true);
const Setting VolumeChangeValue = Int(kKeyBoad, "VolumeChangeValue", 3);
const Setting MainKeyCode = Int(kKeyBoad, "MainKeyCode", 29);
const Setting MainKeyName = Text(kKeyBoad, "MainKeyName", "無変換");
const Setting VolumeUpKeyCode = Int(kKeyBoad, "VolumeUpKeyCode", 39);
const Setting VolumeUpKeyName = Text(kKeyBoad, "VolumeUpKeyName", "→");
const Setting VolumeDownKeyCode = Int(kKeyBoad, "VolumeDownKeyCode", 37);
const Setting VolumeDownKeyName = Text(kKeyBoad, "VolumeDownKeyName", "←");
const Setting MuteKeyCode = Int(kKeyBoad, "MuteKeyCode", 40);
const Setting MuteKeyName = Text(kKeyBoad, "MuteKeyName", "↓");
const Setting LegacyMainKey = Int(kKeyBoad, "MainKey", 0);

const Setting IconColor = Colour(kIcon, "Color", kDefaultIconTextColour);
const Setting IconBackColor = Colour(kIcon, "BackColor", kDefaultIconBackColour);
const Setting IconUseDefAudioDeviceIcon = Bool(kIcon, "UseDefAudioDeviceIcon", false);
const Setting IconChangeIconColorByDevice = Bool(kIcon, "ChangeIconColorByDevice", false);
const Setting IconDeviceIconDataCount = Int(kIcon, "DeviceIconDataCount", 0);

std::string DeviceSection(int index) { return "DeviceIconData" + std::to_string(index); }
Setting DeviceName(int index) { return Text(DeviceSection(index), "DeviceName", ""); }
Setting DeviceTextColor(int index, uint32_t iconColor) { return Colour(DeviceSection(index), "TextColor", iconColor); }
Setting DeviceBackColor(int index, uint32_t iconBackColor) {
  return Colour(DeviceSection(index), "BackColor", iconBackColor);
}
Setting DeviceIsScheduleChange(int index) { return Bool(DeviceSection(index), "IsScheduleChange", false); }
Setting DeviceScheduleChangeTime(int index) { return Time(DeviceSection(index), "ScheduleChangeTime", 0.0); }
Setting DeviceIsShowOnMenu(int index) { return Bool(DeviceSection(index), "IsShowOnMenu", true); }
Setting DeviceVolumeBarColor(int index) { return Colour(DeviceSection(index), "VolumeBarColor", kDefaultMeterColour); }
Setting DeviceNormalVolume(int index) { return Int(DeviceSection(index), "NormalVolume", 50); }

Setting VisibleMenuItem(int entry) { return Bool("VisibleMenuItems", "Value" + std::to_string(entry), true); }

const Setting WheelHokoChange = Bool("WheelHokoChange", "Value", false);
const Setting VolumeChangeWaitTime = Int("VolumeChangeWaitTime", "Value", 0);
const Setting TrayIconWaitTime = Int("TrayIconWaitTime", "Value", 500);
const Setting NoChangeByKey = Bool("NoChangeByKey", "Value", false);
const Setting NoChangeByMouse = Bool("NoChangeByMouse", "Value", false);
const Setting NoShowBalloonHint = Bool("NoShowBalloonHint", "Value", false);
const Setting LegacyNoChangeByKeyAndMouse = Bool("NoChangeByKeyAndMouse", "Value", false);

std::string ScheduleSection(int group) { return group == 0 ? "Schedule" : "Schedule" + std::to_string(group); }
const Setting ScheduleUse = Bool("Schedule", "Use", false);
const Setting LegacyScheduleNormalVolume = Int("Schedule", "NormalVolume", 0);
Setting ScheduleStartTime(int group, int band) {
  return Time(ScheduleSection(group), "StartTime" + std::to_string(band), -1.0);
}
Setting ScheduleEndTime(int group, int band) {
  return Time(ScheduleSection(group), "EndTime" + std::to_string(band), -1.0);
}
Setting ScheduleVolume(int group, int band) { return Int(ScheduleSection(group), "Volume" + std::to_string(band), 0); }

const Setting SavedVolumeCount = Int("SavedVolume", "Count", 0);
Setting SavedVolume(int index) { return Int("SavedVolume", std::to_string(index), -1); }

Setting VersionFormWidth(int designWidth) { return Int("VersionForm", "Width", designWidth); }
Setting VersionFormHeight(int designHeight) { return Int("VersionForm", "Height", designHeight); }

}  // namespace volmaru::settings::keys
