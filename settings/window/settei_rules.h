// The rules of the settings window that do not need a window: its texts,
// the reading of its digit fields, the checks OK makes, which controls
// depend on which switches, the colour the meter takes when the settings are
// saved, the names given to captured keys and the key-capture slots.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "settings/device_profile.h"

namespace volmaru::settings {

// --- texts -------------------------------------------------------------------

inline constexpr std::string_view kSetteiCaption = "ボルマル の設定";
inline constexpr std::string_view kQuestionTitle = "ボルマル";
inline constexpr std::string_view kStepMessage = "「1回押したときの変化量」は1～100を半角で入力してください。";
inline constexpr std::string_view kShowTimeMessage = "音量メーターの表示時間は1～30秒を半角で入力してください。";
inline constexpr std::string_view kSameKeyMessage = "同じキーが設定されています。";
inline constexpr std::string_view kCloseQuestion = "設定が変更されていますが、保存しますか？";
// Shown when the settings file refused the save: nothing was written and the
// window stays open with every value as the user left it.
inline constexpr std::string_view kSaveFailedMessage = "設定を保存できませんでした。";
inline constexpr std::string_view kChangeKeyHint =
    "変更するには、ここをクリックしてから設定したいキーを押してください。";
inline constexpr std::string_view kConfirmKeyHint = "ここをクリックしてキーを確定してください。";
inline constexpr std::string_view kCheckVolumeHint = "ここをクリックすると音量を確認できます。";
inline constexpr std::string_view kBandTimeHint =
    "1度設定した時間帯を無効にするには\r時間の欄をすべて空欄にしてください。";
inline constexpr std::string_view kChangeCaption = "変更";
inline constexpr std::string_view kConfirmCaption = "確定";
// Hints stay this long on screen.
inline constexpr int kHintShowMs = 5000;

// The pages in their order.
enum class SetteiPage { kMeter = 0, kIcon = 1, kOperation = 2, kSchedule = 3, kMenu = 4 };
inline constexpr int kSetteiPageCount = 5;
inline constexpr std::array<std::string_view, kSetteiPageCount> kPageCaptions = {
    "音量メーター", "音量アイコン", "音量変更操作", "変更スケジュール", "メニューの編集"};

// --- digit fields --------------------------------------------------------------

// A field read as a whole number (common/text.h).
using volmaru::ParseFieldInteger;
// The step of one key press or wheel notch: 1..100.
std::optional<int> ValidStep(std::string_view text);
// The meter's display time in seconds: 1..30.
std::optional<int> ValidShowTime(std::string_view text);
// Whether two of the four bindings (main, up, down, mute) share a code; the
// pairs main/up, main/down, main/mute, up/down, up/mute, down/mute.
bool SameKeyInPairs(const std::array<int, 4>& codes);

// A slider's hint: its milliseconds as seconds in the shortest decimal form
// followed by "秒" (500 -> "0.5秒", 2000 -> "2秒", 10 -> "0.01秒").
std::string SecondsHint(int ms);

// --- dependent states ------------------------------------------------------------

// The switches the enabled and visible states follow.
struct PageSwitches {
  bool useEndpoint = false;
  int colorSource = 0;               // "音量アイコンの色と同色にする": 0, 1, 2
  bool meterByDevice = false;        // "既定の再生デバイスによって音量メーターの色を変える"
  bool allwaysShow = false;          // "常時表示する"
  bool iconByDevice = false;         // "既定の再生デバイスによって音量アイコンの色を変える"
  bool noChangeByKey = false;        // "キーボード操作では音量変更しない"
  bool noChangeByMouse = false;      // "マウス操作では音量変更しない"
  bool meterByDeviceUsable = false;  // the meter's by-device switch may be used (see below)
};

struct DependentStates {
  bool meterByDeviceEnabled = false;     // CheckBoxChangeVolumeBarColorByDevice
  bool meterDevicePanelEnabled = false;  // ComboBoxExDeviceName2 with its picker
  bool meterPickerEnabled = true;        // ColorBoxVolumeBar
  bool showTimeEnabled = true;           // LabeledEditVolumeBarShowTime
  bool iconDevicePanelEnabled = false;   // ComboBoxExDeviceName with its two pickers
  bool iconGlobalGroupEnabled = true;    // "音量アイコンの色"
  bool wheelBoxEnabled = true;           // CheckBoxWheelHoko
  bool keyboardGroupVisible = true;      // "キーボードでの操作"
  bool operator==(const DependentStates&) const = default;
};

// Whether the meter's by-device switch may be used when the page values are
// loaded: on the endpoint path with the meter's own colour.
bool MeterByDeviceUsableOnLoad(bool useEndpoint, int colorSource);
// The states for the switches as they are.
DependentStates ComputeDependentStates(const PageSwitches& s);

// Backgrounds of the dependent panels and pickers.
inline constexpr uint32_t kEnabledBackground = 0xFFFFFF;
inline constexpr uint32_t kDisabledBackground = 0x808080;
constexpr uint32_t PanelBackground(bool enabled) { return enabled ? kEnabledBackground : kDisabledBackground; }

// A new choice of the meter's colour source. Source 0 lets the by-device
// switch be used on the endpoint path when a device is selected on the icon
// page; otherwise the switch is turned off. Sources 1 and 2 turn it off and
// make the meter picker show the tray icon's number or background colour.
struct ColourSourceInputs {
  int colorSource = 0;
  bool useEndpoint = false;
  bool iconDeviceSelected = false;  // an entry is selected in ComboBoxExDeviceName
  bool meterByDevice = false;
  uint32_t pickerColour = 0x00FF00;
  uint32_t iconText = 0xFFFFFF;  // the global icon colours as edited
  uint32_t iconBack = 0xFF0000;
  bool iconByDevice = false;
  const std::vector<TDefDeviceTrayIconData>* profiles = nullptr;  // the working profiles
  std::string_view defaultDeviceName;
};
struct ColourSourceOutcome {
  bool meterByDevice = false;        // the switch after the change
  bool meterByDeviceUsable = false;  // whether it may be used
  uint32_t pickerColour = 0x00FF00;  // what the meter picker shows
};
ColourSourceOutcome OnColourSourceChanged(const ColourSourceInputs& in);

// The meter colour OK stores (and the meter then shows): the same rule as
// each drawing of the meter, over the values being saved. `previous` is the
// meter's colour in effect, kept when the default device has no profile.
struct SavedMeterColourInputs {
  int colorSource = 0;
  bool meterByDevice = false;
  uint32_t pickerColour = 0x00FF00;
  bool iconByDevice = false;
  uint32_t iconText = 0xFFFFFF;
  uint32_t iconBack = 0xFF0000;
  const std::vector<TDefDeviceTrayIconData>* profiles = nullptr;
  std::string_view defaultDeviceName;
  uint32_t previous = 0x00FF00;
};
uint32_t SavedMeterColour(const SavedMeterColourInputs& in);

// The first profile with that exact name, or -1.
int ProfileIndexByName(const std::vector<TDefDeviceTrayIconData>& profiles, std::string_view name);

// --- captured keys ------------------------------------------------------------------

// The keyboard layout as GetKeyNameText sees it.
class KeyNamePort {
 public:
  virtual ~KeyNamePort() = default;
  // MapVirtualKey(code, 0): the scan code of a virtual key.
  virtual unsigned ScanCode(int vk) = 0;
  // GetKeyNameText for a key-message parameter.
  virtual std::string KeyNameText(uint32_t param) = 0;
};

// Keys whose name is looked up with the extended-key bit: the navigation
// block, the Windows and application keys, the separator and divide keys,
// Num Lock and the right-hand Ctrl and Alt.
bool IsExtendedKeyCode(int vk);
// The parameter GetKeyNameText is asked for: the scan code in bits 16..23
// and the extended-key bit 24 for the codes above.
uint32_t KeyNameParam(int vk, unsigned scanCode);
// The name shown for a captured key: the arrows are "←↑→↓", every other key
// is named by the keyboard layout.
std::string CapturedKeyName(int vk, KeyNamePort& layout);

inline constexpr int kVkMenu = 18;  // Alt arrives only through the window's timer
inline constexpr int kVkProcessKey = 229;

// The key a key-down stands for. With an input method (the Japanese IME in
// ひらがな mode) the window gets VK_PROCESSKEY for a key the IME handled, while
// the hooks see the key itself: the IME's original key (`imeOriginal`, its
// answer before the message is translated) is the one to bind. Nothing when
// no real key is known, so that 229 is never bound.
std::optional<int> CapturedKeyCode(int vk, int imeOriginal);

// --- key capture ------------------------------------------------------------------

// The four slots, by the tag of their "変更" button.
enum class KeySlot { kMain = 0, kUp = 1, kDown = 2, kMute = 3 };
inline constexpr int kKeySlots = 4;

class KeyCapture {
 public:
  enum class Click { kStarted, kEnded, kIgnored };
  // A click on the button of slot `tag`: starts capture when no slot runs,
  // ends the slot that runs; another slot's button is ignored meanwhile.
  Click Toggle(int tag);
  bool Any() const { return active_ >= 0; }
  // The slot that runs, or -1.
  int Active() const { return active_; }
  bool Set(int tag) const { return active_ == tag; }
  void ClearAll() { active_ = -1; }

 private:
  int active_ = -1;
};

}  // namespace volmaru::settings
