#include "settings/window/settei_layout.h"

#include <array>

namespace volmaru::settings {
namespace {

using K = ControlKind;
using namespace ctl;

constexpr ControlDesign C(int id, int page, int parent, int group, K kind, std::string_view caption, int x, int y,
                          int w, int h, unsigned flags = 0) {
  return ControlDesign{id, page, parent, group, kind, caption, x, y, w, h, flags};
}

// Page "音量メーター".
constexpr ControlDesign kMeterPage[] = {
    C(kGroupPosition, 0, 0, 0, K::kGroup, "画面上の位置", 6, 2, 464, 46),
    C(kRadioPosition0, 0, 0, kGroupPosition, K::kRadio, "下", 18, 20, 80, 20, kGroupStart),
    C(kRadioPosition1, 0, 0, kGroupPosition, K::kRadio, "中央", 106, 20, 80, 20),
    C(kRadioPosition2, 0, 0, kGroupPosition, K::kRadio, "上", 194, 20, 80, 20),
    C(kRadioPosition3, 0, 0, kGroupPosition, K::kRadio, "右", 282, 20, 80, 20),
    C(kRadioPosition4, 0, 0, kGroupPosition, K::kRadio, "左", 370, 20, 80, 20),
    C(kCheckAllwaysShow, 0, 0, 0, K::kCheck, "常時表示する", 10, 54, 124, 20, kGroupStart),
    C(kLabelShowTime, 0, 0, 0, K::kLabel, "表示時間:", 146, 57, 72, 16),
    C(kEditShowTime, 0, 0, 0, K::kEdit, "", 220, 54, 40, 22, kDigitsOnly),
    C(kLabelShowTimeUnit, 0, 0, 0, K::kLabel, "秒", 264, 57, 16, 16),
    C(kLabelShowTimeNote, 0, 0, 0, K::kLabel, "(1～30秒)", 284, 57, 80, 16),
    C(kGroupMeterColour, 0, 0, 0, K::kGroup, "音量メーターの色", 6, 82, 464, 176),
    C(kLabelMeterColour, 0, 0, kGroupMeterColour, K::kLabel, "色", 18, 104, 16, 16),
    C(kColorBoxVolumeBar, 0, 0, kGroupMeterColour, K::kColourBox, "", 38, 100, 160, 22),
    C(kGroupColourSource, 0, 0, kGroupMeterColour, K::kGroup, "音量アイコンの色と同色にする", 18, 128, 440, 46),
    C(kRadioColourSource0, 0, 0, kGroupColourSource, K::kRadio, "同色にしない", 30, 148, 130, 20, kGroupStart),
    C(kRadioColourSource1, 0, 0, kGroupColourSource, K::kRadio, "文字色と同色", 170, 148, 130, 20),
    C(kRadioColourSource2, 0, 0, kGroupColourSource, K::kRadio, "背景色と同色", 310, 148, 130, 20),
    C(kCheckMeterByDevice, 0, 0, kGroupMeterColour, K::kCheck, "既定の再生デバイスによって音量メーターの色を変える", 18,
      180, 440, 20, kGroupStart),
    C(kPanelMeterDevice, 0, 0, kGroupMeterColour, K::kPanel, "", 18, 204, 440, 44),
    C(kLabelMeterDevice, 0, kPanelMeterDevice, 0, K::kLabel, "再生デバイス名:", 6, 14, 116, 16),
    C(kComboMeterDevice, 0, kPanelMeterDevice, 0, K::kDeviceList, "", 124, 10, 170, 24),
    C(kLabelMeterDeviceColour, 0, kPanelMeterDevice, 0, K::kLabel, "色", 302, 14, 16, 16),
    C(kColorBoxMeterDevice, 0, kPanelMeterDevice, 0, K::kColourBox, "", 322, 10, 110, 22),
    // When the meter is shown: these also stand still while a key is
    // captured.
    C(kCheckMainKeyOnly, 0, 0, 0, K::kCheck, "メインキーを押しただけで音量メーターを表示する", 10, 266, 460, 20),
    C(kCheckPointing, 0, 0, 0, K::kCheck, "タスクトレイアイコンをポイントしたら音量メーターを表示する", 10, 290, 460,
      20),
    C(kLabelTrayWait, 0, 0, 0, K::kLabel,
      "タスクトレイアイコンをクリックかポイントしてから音量メーターが表示されるまでの時間:", 10, 314, 460, 34,
      kMultiLine),
    C(kLabelTrayWaitMin, 0, 0, 0, K::kLabel, "0", 10, 358, 16, 16, kRightText),
    C(kTrackTrayWait, 0, 0, 0, K::kTrackBar, "", 30, 352, 340, 28),
    C(kLabelTrayWaitMax, 0, 0, 0, K::kLabel, "2秒", 374, 358, 40, 16),
    C(kCheckNoBox, 0, 0, 0, K::kCheck, "音量変更ボックスを表示しない", 10, 390, 300, 20),
};

// Page "音量アイコン".
constexpr ControlDesign kIconPage[] = {
    C(kGroupPreview, 1, 0, 0, K::kGroup, "プレビュー", 6, 2, 100, 70),
    C(kIconPreview, 1, 0, kGroupPreview, K::kIcon, "", 40, 26, 32, 32),
    C(kGroupIconColour, 1, 0, 0, K::kGroup, "音量アイコンの色", 112, 2, 358, 70),
    C(kLabelIconText, 1, 0, kGroupIconColour, K::kLabel, "文字色:", 122, 32, 56, 16),
    C(kColorBoxIconText, 1, 0, kGroupIconColour, K::kColourBox, "", 180, 28, 108, 22),
    C(kLabelIconBack, 1, 0, kGroupIconColour, K::kLabel, "背景色:", 296, 32, 56, 16),
    C(kColorBoxIconBack, 1, 0, kGroupIconColour, K::kColourBox, "", 354, 28, 108, 22),
    C(kCheckUseDeviceIcon, 1, 0, 0, K::kCheck, "音量アイコンに既定の再生デバイスのアイコンを使う", 10, 82, 440, 20),
    C(kPanelIconEndpoint, 1, 0, 0, K::kPanel, "", 6, 106, 464, 130),
    C(kCheckIconByDevice, 1, kPanelIconEndpoint, 0, K::kCheck, "既定の再生デバイスによって音量アイコンの色を変える", 4,
      2, 440, 20),
    C(kPanelIconDevice, 1, kPanelIconEndpoint, 0, K::kPanel, "", 4, 26, 456, 96),
    C(kLabelIconDevice, 1, kPanelIconDevice, 0, K::kLabel, "再生デバイス名:", 8, 14, 116, 16),
    C(kComboIconDevice, 1, kPanelIconDevice, 0, K::kDeviceList, "", 126, 10, 320, 24),
    C(kLabelIconDeviceText, 1, kPanelIconDevice, 0, K::kLabel, "文字色:", 8, 58, 56, 16),
    C(kColorBoxIconDeviceText, 1, kPanelIconDevice, 0, K::kColourBox, "", 66, 54, 150, 22),
    C(kLabelIconDeviceBack, 1, kPanelIconDevice, 0, K::kLabel, "背景色:", 232, 58, 56, 16),
    C(kColorBoxIconDeviceBack, 1, kPanelIconDevice, 0, K::kColourBox, "", 290, 54, 150, 22),
    C(kLabelIconNote, 1, 0, 0, K::kLabel,
      "(コントロールパネルで既定の再生デバイスを変更した場合は音量アイコンをポイントするまでアイコンは変更されません"
      "。)",
      10, 246, 460, 36, kMultiLine),
};

// Page "音量変更操作".
constexpr ControlDesign kOperationPage[] = {
    C(kCheckNoChangeByKey, 2, 0, 0, K::kCheck, "キーボード操作では音量変更しない", 10, 4, 300, 20),
    C(kCheckNoChangeByMouse, 2, 0, 0, K::kCheck, "マウス操作では音量変更しない", 10, 26, 300, 20),
    C(kGroupKeyboard, 2, 0, 0, K::kGroup, "キーボードでの操作", 6, 52, 464, 206),
    C(kLabelMainKey, 2, 0, kGroupKeyboard, K::kLabel, "メインキー:", 18, 77, 88, 16),
    C(kEditMainKey, 2, 0, kGroupKeyboard, K::kEdit, "", 108, 74, 170, 22),
    C(kLabelMainKeyCode, 2, 0, kGroupKeyboard, K::kLabel, "29", 282, 77, 40, 16, kRightText),
    C(kBtnMainKeyChange, 2, 0, kGroupKeyboard, K::kButton, "変更", 330, 73, 76, 24),
    C(kLabelMuteKey, 2, 0, kGroupKeyboard, K::kLabel, "ミュート:", 18, 109, 88, 16),
    C(kEditMuteKey, 2, 0, kGroupKeyboard, K::kEdit, "", 108, 106, 170, 22),
    C(kLabelMuteKeyCode, 2, 0, kGroupKeyboard, K::kLabel, "40", 282, 109, 40, 16, kRightText),
    C(kBtnMuteKeyChange, 2, 0, kGroupKeyboard, K::kButton, "変更", 330, 105, 76, 24),
    C(kLabelUpKey, 2, 0, kGroupKeyboard, K::kLabel, "音量上昇:", 18, 141, 88, 16),
    C(kEditVolumeUpKey, 2, 0, kGroupKeyboard, K::kEdit, "", 108, 138, 170, 22),
    C(kLabelVolumeUpKeyCode, 2, 0, kGroupKeyboard, K::kLabel, "39", 282, 141, 40, 16, kRightText),
    C(kBtnVolumeUpKeyChange, 2, 0, kGroupKeyboard, K::kButton, "変更", 330, 137, 76, 24),
    C(kLabelDownKey, 2, 0, kGroupKeyboard, K::kLabel, "音量下降:", 18, 173, 88, 16),
    C(kEditVolumeDownKey, 2, 0, kGroupKeyboard, K::kEdit, "", 108, 170, 170, 22),
    C(kLabelVolumeDownKeyCode, 2, 0, kGroupKeyboard, K::kLabel, "37", 282, 173, 40, 16, kRightText),
    C(kBtnVolumeDownKeyChange, 2, 0, kGroupKeyboard, K::kButton, "変更", 330, 169, 76, 24),
    C(kLabelKeyNote, 2, 0, kGroupKeyboard, K::kLabel,
      "各キーを変更するには[変更]ボタンをクリックしてから設定したいキーを押してください。", 18, 204, 444, 44,
      kMultiLine),
    C(kLabelStep, 2, 0, 0, K::kLabel, "1回の操作での変化音量:", 6, 268, 170, 16),
    C(kEditStep, 2, 0, 0, K::kEdit, "", 178, 265, 40, 22, kDigitsOnly),
    C(kLabelStepNote, 2, 0, 0, K::kLabel, "(1～100)", 224, 268, 70, 16),
    C(kLabelWait, 2, 0, 0, K::kLabel, "音量変更連続操作時の遅延時間:", 6, 300, 300, 16),
    C(kLabelWaitMin, 2, 0, 0, K::kLabel, "小", 10, 328, 16, 16),
    C(kTrackWait, 2, 0, 0, K::kTrackBar, "", 30, 322, 300, 28),
    C(kLabelWaitMax, 2, 0, 0, K::kLabel, "大", 334, 328, 16, 16),
    C(kCheckWheelHoko, 2, 0, 0, K::kCheck, "マウスホイール回転での音量変更はデフォルトと逆向きにする", 10, 360, 460,
      20),
};

// Page "変更スケジュール".
#define VOLMARU_BAND_ROW(b, y)                                                                     \
  C(Band(b, kBandStartHour), 3, kPanelBands, 0, K::kEdit, "", 12, y, 30, 22, kDigitsOnly),         \
      C(Band(b, kBandStartColon), 3, kPanelBands, 0, K::kLabel, ":", 44, (y) + 3, 8, 16),          \
      C(Band(b, kBandStartMinute), 3, kPanelBands, 0, K::kEdit, "", 54, y, 30, 22, kDigitsOnly),   \
      C(Band(b, kBandTilde), 3, kPanelBands, 0, K::kLabel, "～", 88, (y) + 3, 16, 16),             \
      C(Band(b, kBandEndHour), 3, kPanelBands, 0, K::kEdit, "", 108, y, 30, 22, kDigitsOnly),      \
      C(Band(b, kBandEndColon), 3, kPanelBands, 0, K::kLabel, ":", 140, (y) + 3, 8, 16),           \
      C(Band(b, kBandEndMinute), 3, kPanelBands, 0, K::kEdit, "", 150, y, 30, 22, kDigitsOnly),    \
      C(Band(b, kBandTrack), 3, kPanelBands, 0, K::kTrackBar, "", 186, (y)-4, 200, 30),            \
      C(Band(b, kBandLabel), 3, kPanelBands, 0, K::kLabel, "0", 388, (y) + 3, 34, 16, kRightText), \
      C(Band(b, kBandKakunin), 3, kPanelBands, 0, K::kButton, "確認", 424, (y)-1, 46, 24)

constexpr ControlDesign kSchedulePage[] = {
    C(kCheckVolumeSchedule, 3, 0, 0, K::kCheck, "時間帯によって音量を変える", 10, 2, 300, 20),
    C(kPanelBands, 3, 0, 0, K::kPanel, "", 0, 24, 476, 240),
    C(kGroupNormalVolume, 3, kPanelBands, 0, K::kGroup, "通常の音量", 6, 0, 464, 54),
    C(kComboNormalDevice, 3, kPanelBands, kGroupNormalVolume, K::kDeviceList, "", 14, 20, 140, 24),
    C(kLabelNormalVolume, 3, kPanelBands, kGroupNormalVolume, K::kLabel, "通常の音量:", 160, 24, 86, 16),
    C(kEditNormalVolume, 3, kPanelBands, kGroupNormalVolume, K::kEdit, "", 248, 20, 36, 22, kDigitsOnly),
    C(kLabelNormalVolumeNote, 3, kPanelBands, kGroupNormalVolume, K::kLabel, "(0～100)", 288, 24, 66, 16),
    C(kBtnNormalVolumeKakunin, 3, kPanelBands, kGroupNormalVolume, K::kButton, "確認", 358, 19, 50, 24),
    C(kBtnNormalVolumeOK, 3, kPanelBands, kGroupNormalVolume, K::kButton, "OK", 412, 19, 50, 24),
    C(kGroupDay, 3, kPanelBands, 0, K::kGroup, "設定日", 6, 58, 464, 46),
    C(kRadioDay0, 3, kPanelBands, kGroupDay, K::kRadio, "毎日", 16, 78, 56, 20, kGroupStart),
    C(kRadioDay1, 3, kPanelBands, kGroupDay, K::kRadio, "日", 76, 78, 48, 20),
    C(kRadioDay2, 3, kPanelBands, kGroupDay, K::kRadio, "月", 128, 78, 48, 20),
    C(kRadioDay3, 3, kPanelBands, kGroupDay, K::kRadio, "火", 180, 78, 48, 20),
    C(kRadioDay4, 3, kPanelBands, kGroupDay, K::kRadio, "水", 232, 78, 48, 20),
    C(kRadioDay5, 3, kPanelBands, kGroupDay, K::kRadio, "木", 284, 78, 48, 20),
    C(kRadioDay6, 3, kPanelBands, kGroupDay, K::kRadio, "金", 336, 78, 48, 20),
    C(kRadioDay7, 3, kPanelBands, kGroupDay, K::kRadio, "土", 388, 78, 48, 20),
    C(kLabelBandStart, 3, kPanelBands, 0, K::kLabel, "開始", 12, 112, 72, 16, kGroupStart),
    C(kLabelBandEnd, 3, kPanelBands, 0, K::kLabel, "終了", 108, 112, 72, 16),
    C(kLabelBandVolume, 3, kPanelBands, 0, K::kLabel, "音量", 192, 112, 72, 16),
    VOLMARU_BAND_ROW(0, 134),
    VOLMARU_BAND_ROW(1, 172),
    VOLMARU_BAND_ROW(2, 210),
    C(kGroupDevice, 3, 0, 0, K::kGroup, "再生デバイス", 6, 270, 464, 160),
    C(kLabelDeviceNote, 3, 0, kGroupDevice, K::kLabel,
      "毎日指定した時間に既定の再生デバイスを指定した再生デバイスに変更します。", 18, 290, 444, 34,
      kMultiLine | kRedText),
    C(kLabelScheduleDevice, 3, 0, kGroupDevice, K::kLabel, "指定する再生デバイス:", 18, 332, 160, 16),
    C(kComboScheduleDevice, 3, 0, kGroupDevice, K::kDeviceList, "", 180, 328, 280, 24),
    C(kCheckDeviceChange, 3, 0, kGroupDevice, K::kCheck, "このデバイスに変更する", 18, 362, 240, 20),
    C(kLabelDeviceTime, 3, 0, kGroupDevice, K::kLabel, "変更時刻", 18, 396, 62, 16),
    C(kEditDeviceHour, 3, 0, kGroupDevice, K::kEdit, "", 82, 393, 30, 22, kDigitsOnly),
    C(kLabelDeviceColon, 3, 0, kGroupDevice, K::kLabel, ":", 114, 396, 8, 16),
    C(kEditDeviceMinute, 3, 0, kGroupDevice, K::kEdit, "", 124, 393, 30, 22, kDigitsOnly),
    C(kLabelDeviceTimeNote, 3, 0, kGroupDevice, K::kLabel, "(00:00～23:59を入力してください)", 160, 396, 290, 16),
};
#undef VOLMARU_BAND_ROW

// Page "メニューの編集".
constexpr ControlDesign kMenuPage[] = {
    C(kLabelVisibleMenu, 4, 0, 0, K::kLabel, "ポップアップメニューに表示しないメニュー項目はチェックを外してください",
      6, 4, 464, 34, kMultiLine),
    C(kListVisibleMenu, 4, 0, 0, K::kCheckList, "", 6, 40, 464, 180),
    C(kLabelDevices, 4, 0, 0, K::kLabel, "[既定の再生デバイス]に表示しないデバイスはチェックを外してください", 6, 230,
      464, 34, kMultiLine),
    C(kListDevices, 4, 0, 0, K::kCheckList, "", 6, 266, 464, 150),
};

constexpr size_t kControlCount = std::size(kMeterPage) + std::size(kIconPage) + std::size(kOperationPage) +
                                 std::size(kSchedulePage) + std::size(kMenuPage);

constexpr std::array<ControlDesign, kControlCount> MakeTable() {
  std::array<ControlDesign, kControlCount> all{};
  size_t n = 0;
  for (const ControlDesign& c : kMeterPage) all[n++] = c;
  for (const ControlDesign& c : kIconPage) all[n++] = c;
  for (const ControlDesign& c : kOperationPage) all[n++] = c;
  for (const ControlDesign& c : kSchedulePage) all[n++] = c;
  for (const ControlDesign& c : kMenuPage) all[n++] = c;
  return all;
}
constexpr std::array<ControlDesign, kControlCount> kControls = MakeTable();

// Whether `id` lies in `container` (a group box or a panel), directly or
// through panels and groups in between.
bool Inside(int id, int container) {
  for (const ControlDesign* c = FindControl(id); c;) {
    if (c->group == container || c->parent == container) return true;
    const int up = c->group ? c->group : c->parent;
    c = up ? FindControl(up) : nullptr;
  }
  return false;
}

bool OneOf(int id, std::initializer_list<int> ids) {
  for (int i : ids) {
    if (i == id) return true;
  }
  return false;
}

constexpr NamedColour kStandardColours[] = {
    {0x000000, "黒"},   {0x000080, "栗色"}, {0x008000, "緑"},     {0x008080, "オリーブ"},
    {0x800000, "濃紺"}, {0x800080, "紫"},   {0x808000, "青緑"},   {0x808080, "灰色"},
    {0xC0C0C0, "銀色"}, {0x0000FF, "赤"},   {0x00FF00, "ライム"}, {0x00FFFF, "黄"},
    {0xFF0000, "青"},   {0xFF00FF, "赤紫"}, {0xFFFF00, "水色"},   {0xFFFFFF, "白"},
};

}  // namespace

std::span<const ControlDesign> SetteiControls() { return kControls; }

const ControlDesign* FindControl(int id) {
  for (const ControlDesign& c : kControls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

ControlState StateOf(int id, const StateInputs& in) {
  ControlState s;
  const DependentStates& d = in.dependent;
  const ControlDesign* design = FindControl(id);
  const int page = design ? design->page : -1;

  // What only the endpoint path has.
  if (page == 3) s.enabled = in.useEndpoint;
  if (OneOf(id, {kCheckUseDeviceIcon, kLabelIconNote})) s.enabled = in.useEndpoint;
  if (id == kPanelIconEndpoint) s.visible = in.useEndpoint;
  if (OneOf(id, {kLabelDevices, kListDevices})) s.visible = s.enabled = in.useEndpoint;
  if (id == kPanelBands) s.visible = in.scheduleUse;

  // The switches of the pages.
  if (id == kCheckMeterByDevice) s.enabled = d.meterByDeviceEnabled;
  // In a dependent panel the labels stay readable on its grey; the panel
  // and what takes input follow the switch.
  const bool label = design && design->kind == ControlKind::kLabel;
  if (id == kPanelMeterDevice || (Inside(id, kPanelMeterDevice) && !label)) s.enabled = d.meterDevicePanelEnabled;
  if (id == kColorBoxVolumeBar) s.enabled = d.meterPickerEnabled;
  if (id == kEditShowTime) s.enabled = d.showTimeEnabled;
  if (id == kPanelIconDevice || (Inside(id, kPanelIconDevice) && !label)) s.enabled = d.iconDevicePanelEnabled;
  if (id == kGroupIconColour || Inside(id, kGroupIconColour)) s.enabled = d.iconGlobalGroupEnabled;
  if (id == kCheckWheelHoko) s.enabled = d.wheelBoxEnabled;
  if (id == kGroupKeyboard) s.visible = d.keyboardGroupVisible;
  if (Inside(id, kGroupKeyboard)) s.visible = d.keyboardGroupVisible;

  // While a key is captured, only its own "確定" button and what cannot
  // take the key stay usable.
  if (in.captureSlot >= 0) {
    bool off = id == kOk ||
               OneOf(id, {kCheckMainKeyOnly, kCheckPointing, kLabelTrayWait, kLabelTrayWaitMin, kTrackTrayWait,
                          kLabelTrayWaitMax}) ||
               id == kEditStep || id == kCheckVolumeSchedule || id == kPanelBands || Inside(id, kPanelBands);
    for (int tag = 0; tag < kKeySlots; ++tag) {
      if (id == KeyNameField(tag)) off = true;
      if (id == ChangeButton(tag) && tag != in.captureSlot) off = true;
    }
    if (off) s.enabled = false;
  }
  return s;
}

std::optional<uint32_t> DependentBackground(int id, const StateInputs& in) {
  if (!OneOf(id, {kPanelMeterDevice, kColorBoxVolumeBar, kColorBoxMeterDevice, kPanelIconDevice,
                  kColorBoxIconDeviceText, kColorBoxIconDeviceBack, kColorBoxIconText, kColorBoxIconBack})) {
    return std::nullopt;
  }
  return PanelBackground(StateOf(id, in).enabled);
}

std::span<const NamedColour> StandardColours() { return kStandardColours; }

int ColourEntry(uint32_t colour) {
  for (size_t i = 0; i < std::size(kStandardColours); ++i) {
    if (kStandardColours[i].colour == colour) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace volmaru::settings
