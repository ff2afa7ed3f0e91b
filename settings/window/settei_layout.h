// The settings window's controls as data: every control of every page with
// its kind, caption, place and size (design pixels, bold 13-pixel Tahoma),
// in reading order, which is also the tab order; which control is enabled
// and shown for a given state of the window; and the colour pickers' list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "settings/window/settei_rules.h"

namespace volmaru::settings {

// Client size the pages are laid out for; the window itself is 502 x 584
// (frame, caption and menu bar included).
inline constexpr int kSetteiWidth = 502;
inline constexpr int kSetteiHeight = 584;
inline constexpr int kPageWidth = 476;
inline constexpr int kPageHeight = 452;
inline constexpr int kSetteiFontPixels = 13;

enum class ControlKind {
  kGroup,       // a group box (its members are its siblings)
  kPanel,       // a container: its members lie inside it, placed relative to it
  kLabel,       // static text
  kCheck,       // check box
  kRadio,       // radio button
  kEdit,        // one-line edit field
  kButton,      // push button
  kColourBox,   // colour picker: standard colours and a custom one
  kDeviceList,  // drop-down list of devices with their icons
  kTrackBar,    // horizontal slider
  kCheckList,   // list of entries with check boxes
  kIcon,        // 32 x 32 picture
};

enum ControlFlag : unsigned {
  kDigitsOnly = 1,  // ES_NUMBER | ES_RIGHT
  kGroupStart = 2,  // the first of a run of radio buttons
  kMultiLine = 4,   // text that wraps
  kRedText = 8,     // the explanatory text of the daily device change
  kRightText = 16,  // right-aligned text
  kDefaultButton = 32,
};

// Control ids. OK and Cancel take the dialog ids so that Enter and Escape
// work as in every dialog.
namespace ctl {
enum : int {
  kNone = 0,
  kOk = 1,
  kCancel = 2,
  kTab = 100,
  kPage0 = 110,  // pages 110..114
  // page "音量メーター"
  kGroupPosition = 200,
  kRadioPosition0,  // .. 4: 下 中央 上 右 左
  kRadioPosition1,
  kRadioPosition2,
  kRadioPosition3,
  kRadioPosition4,
  kCheckAllwaysShow,
  kLabelShowTime,
  kEditShowTime,
  kLabelShowTimeUnit,
  kLabelShowTimeNote,
  kGroupMeterColour,
  kLabelMeterColour,
  kColorBoxVolumeBar,
  kGroupColourSource,
  kRadioColourSource0,  // .. 2
  kRadioColourSource1,
  kRadioColourSource2,
  kCheckMeterByDevice,
  kPanelMeterDevice,
  kLabelMeterDevice,
  kComboMeterDevice,  // ComboBoxExDeviceName2
  kLabelMeterDeviceColour,
  kColorBoxMeterDevice,
  kCheckMainKeyOnly,
  kCheckPointing,
  kLabelTrayWait,
  kLabelTrayWaitMin,
  kTrackTrayWait,
  kLabelTrayWaitMax,
  kCheckNoBox,
  // page "音量アイコン"
  kGroupPreview = 300,
  kIconPreview,
  kGroupIconColour,
  kLabelIconText,
  kColorBoxIconText,
  kLabelIconBack,
  kColorBoxIconBack,
  kCheckUseDeviceIcon,
  kPanelIconEndpoint,
  kCheckIconByDevice,
  kPanelIconDevice,
  kLabelIconDevice,
  kComboIconDevice,  // ComboBoxExDeviceName
  kLabelIconDeviceText,
  kColorBoxIconDeviceText,
  kLabelIconDeviceBack,
  kColorBoxIconDeviceBack,
  kLabelIconNote,
  // page "音量変更操作"
  kCheckNoChangeByKey = 400,
  kCheckNoChangeByMouse,
  kGroupKeyboard,
  kLabelMainKey,
  kEditMainKey,
  kLabelMainKeyCode,
  kBtnMainKeyChange,
  kLabelMuteKey,
  kEditMuteKey,
  kLabelMuteKeyCode,
  kBtnMuteKeyChange,
  kLabelUpKey,
  kEditVolumeUpKey,
  kLabelVolumeUpKeyCode,
  kBtnVolumeUpKeyChange,
  kLabelDownKey,
  kEditVolumeDownKey,
  kLabelVolumeDownKeyCode,
  kBtnVolumeDownKeyChange,
  kLabelKeyNote,
  kLabelStep,
  kEditStep,
  kLabelStepNote,
  kLabelWait,
  kLabelWaitMin,
  kTrackWait,
  kLabelWaitMax,
  kCheckWheelHoko,
  // page "変更スケジュール"
  kCheckVolumeSchedule = 500,
  kPanelBands,
  kGroupNormalVolume,
  kComboNormalDevice,
  kLabelNormalVolume,
  kEditNormalVolume,
  kLabelNormalVolumeNote,
  kBtnNormalVolumeKakunin,
  kBtnNormalVolumeOK,
  kGroupDay,
  kRadioDay0,  // .. 7: 毎日 日 月 火 水 木 金 土
  kRadioDay1,
  kRadioDay2,
  kRadioDay3,
  kRadioDay4,
  kRadioDay5,
  kRadioDay6,
  kRadioDay7,
  kLabelBandStart,
  kLabelBandEnd,
  kLabelBandVolume,
  kBand0 = 540,  // band b: kBand0 + 10 b + kBand...
  kGroupDevice = 580,
  kLabelDeviceNote,
  kLabelScheduleDevice,
  kComboScheduleDevice,  // ComboBoxExScheduleDeviceName
  kCheckDeviceChange,
  kLabelDeviceTime,
  kEditDeviceHour,  // LEDeviceScheduleHour
  kLabelDeviceColon,
  kEditDeviceMinute,  // LEDeviceScheduleMinit
  kLabelDeviceTimeNote,
  // page "メニューの編集"
  kLabelVisibleMenu = 600,
  kListVisibleMenu,  // CheckListBoxVisibleMenuItems
  kLabelDevices,
  kListDevices,  // CheckListBoxDevices
};
// The parts of band row b (id = kBand0 + 10 b + part).
enum : int {
  kBandStartHour = 0,
  kBandStartColon,
  kBandStartMinute,
  kBandTilde,
  kBandEndHour,
  kBandEndColon,
  kBandEndMinute,
  kBandTrack,
  kBandLabel,
  kBandKakunin,
};
constexpr int Band(int band, int part) { return kBand0 + 10 * band + part; }
// The four "変更" buttons by their tag (main, up, down, mute).
constexpr int ChangeButton(int tag) {
  return tag == 0   ? kBtnMainKeyChange
         : tag == 1 ? kBtnVolumeUpKeyChange
         : tag == 2 ? kBtnVolumeDownKeyChange
                    : kBtnMuteKeyChange;
}
constexpr int KeyNameField(int tag) {
  return tag == 0 ? kEditMainKey : tag == 1 ? kEditVolumeUpKey : tag == 2 ? kEditVolumeDownKey : kEditMuteKey;
}
constexpr int KeyCodeLabel(int tag) {
  return tag == 0   ? kLabelMainKeyCode
         : tag == 1 ? kLabelVolumeUpKeyCode
         : tag == 2 ? kLabelVolumeDownKeyCode
                    : kLabelMuteKeyCode;
}
}  // namespace ctl

struct ControlDesign {
  int id = 0;
  int page = 0;    // 0..4
  int parent = 0;  // 0 = the page; otherwise a panel's id (place relative to it)
  int group = 0;   // the group box it lies in (0 = none)
  ControlKind kind = ControlKind::kLabel;
  std::string_view caption;
  int x = 0, y = 0, w = 0, h = 0;
  unsigned flags = 0;
};

// Every control of the pages, page by page in reading order.
std::span<const ControlDesign> SetteiControls();
const ControlDesign* FindControl(int id);

// What the enabled and visible states depend on.
struct StateInputs {
  DependentStates dependent;
  bool useEndpoint = false;
  bool scheduleUse = false;  // "時間帯によって音量を変える"
  int captureSlot = -1;      // the key-capture slot that runs (-1 = none)
};
struct ControlState {
  bool enabled = true;
  bool visible = true;
  bool operator==(const ControlState&) const = default;
};
// The state of one control (the OK button included).
ControlState StateOf(int id, const StateInputs& in);
// The background of a dependent panel or picker, when the control is one.
std::optional<uint32_t> DependentBackground(int id, const StateInputs& in);

// The colour pickers' entries after the custom one: the sixteen standard
// colours with their names.
struct NamedColour {
  uint32_t colour;
  std::string_view name;
};
std::span<const NamedColour> StandardColours();
inline constexpr std::string_view kCustomColourCaption = "カスタム...";
// The entry of a colour in a picker: 1 + its standard index, or 0 (the
// custom entry) for any other colour.
int ColourEntry(uint32_t colour);

}  // namespace volmaru::settings
