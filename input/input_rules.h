// What the global hooks pass on and what the main window makes of it: the
// main-key chord, the mute key with its guard, the step keys with their rate
// limit, the digit keys, and the wheel over the taskbar or the meter. The
// hooks run on an input thread of their own and post two messages; the key
// states the rules need are taken when the event happens and travel in the
// message, so a main thread that is busy for a moment still sees the chord
// the user pressed.
#pragma once

#include <cstdint>

#include "app/main_window_state.h"

namespace volmaru::input {

inline constexpr unsigned kWmApp = 0x8000;
inline constexpr unsigned WM_VOLUME_WHEEL = kWmApp + 100;
inline constexpr unsigned WM_VOLUME_KEY = kWmApp + 110;
inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmSysKeyDown = 0x0104;
inline constexpr unsigned kWmMouseWheel = 0x020A;
inline constexpr int kWheelNotch = 120;
inline constexpr uint32_t kMuteGuardMs = 1000;

// Screen rectangle; left and top edges are inside, right and bottom outside.
struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(app::Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

// --- the hooks -------------------------------------------------------------

inline constexpr int kMaxSecondaryTaskbars = 7;

struct WheelHookContext {
  uint32_t now = 0;
  uint32_t lastVolumeStepAt = 0;
  int volumeChangeWaitTime = 0;
  bool taskbarExists = false;  // the main taskbar ("Shell_TrayWnd")
  Rect taskbar;
  // The taskbars of further monitors that are on screen.
  int secondaryCount = 0;
  Rect secondary[kMaxSecondaryTaskbars];
  app::Point cursor;
  bool meterVisible = false;
  Rect meter;
  bool leftButtonDown = false;
};
// A wheel turn that qualifies is posted and consumed (the window under the
// pointer never sees it); any other passes on.
bool WheelQualifies(const WheelHookContext& c);

// Key-downs are posted, system key-downs too: keys pressed while Alt (a
// selectable main key) is held arrive as those.
constexpr bool IsPostedKeyMessage(unsigned msg) { return msg == kWmKeyDown || msg == kWmSysKeyDown; }

// The keyboard hook posts nothing while the settings window waits for a key
// to bind; keys are never consumed either way.
constexpr bool ShouldPostKey(int nCode, unsigned msg, bool captureSlotSet) {
  return nCode == 0 && !captureSlotSet && IsPostedKeyMessage(msg);
}

// Key state taken by the hook at the moment of the event.
inline constexpr uint32_t kMainKeyHeldFlag = 0x80000000u;
constexpr uint32_t EncodeKeyWParam(uint32_t scanCode, bool mainKeyHeld) {
  return (scanCode & 0xFFFFu) | (mainKeyHeld ? kMainKeyHeldFlag : 0u);
}
// WM_VOLUME_WHEEL lParam: the high word is the wheel delta as the hook got
// it; the low word (reserved by the platform) carries the mute key (bit 0)
// and the held digit's volume / 10 (bits 4-7, 0 = none).
constexpr uint32_t EncodeWheelLParam(uint32_t mouseData, bool muteKeyHeld, int heldDigitTarget) {
  return (mouseData & 0xFFFF0000u) | (muteKeyHeld ? 1u : 0u) |
         (static_cast<uint32_t>(heldDigitTarget / 10) & 0xFu) << 4;
}
constexpr int WheelDelta(uint32_t lParam) { return static_cast<int16_t>(static_cast<uint16_t>(lParam >> 16)); }
constexpr bool WheelMuteKeyHeld(uint32_t lParam) { return (lParam & 1u) != 0; }
constexpr int WheelDigitTarget(uint32_t lParam) { return static_cast<int>((lParam >> 4) & 0xFu) * 10; }

// --- the rules ---------------------------------------------------------------

// Left and right Ctrl, Shift and Alt match the plain key codes.
int FoldVirtualKey(int vk);
// '1'..'9' and numpad 1..9 give 10 x the digit, '0' and numpad 0 give 100;
// other keys 0.
int DigitKeyTarget(int vk);
// The volume of the held digit keys, tested 1..9 then 0 (the last held one
// wins); 0 when none is held.
template <typename IsDown>
int HeldDigitTarget(IsDown isDown) {
  int target = 0;
  for (int d = 1; d <= 10; ++d) {
    const int digit = d % 10;
    if (isDown(0x30 + digit) || isDown(0x60 + digit)) target = d * 10;
  }
  return target;
}

// The meter, the volume and the platform as the handlers see them.
class InputPort {
 public:
  virtual ~InputPort() = default;
  virtual uint32_t Now() = 0;
  virtual bool MeterVisible() = 0;
  virtual bool MeterIsForeground() = 0;
  virtual bool IsEditingBox() = 0;
  virtual void ShowMeter() = 0;
  virtual void CloseMeter() = 0;
  virtual void RefreshMeter() = 0;
  virtual void DrawMeter() = 0;
  virtual void ForceForegroundMeter() = 0;
  virtual void ProcessPendingMessages() = 0;
  virtual int CurrentVolume() = 0;
  virtual bool Muted() = 0;
  virtual bool SetVolume(int volume) = 0;  // VolumeSetOk
  virtual bool ToggleMute() = 0;           // MuteToggleOk
};

struct InputSwitches {
  bool noChangeByKey = false;    // MenuNoChangeByKey checked
  bool noChangeByMouse = false;  // MenuNoChangeByMouse checked
};

class InputHandlers {
 public:
  InputHandlers(app::MainWindowState& state, InputPort& port) : s_(state), port_(port) {}

  void OnVolumeKey(uint32_t wParam, uint32_t lParam, const InputSwitches& switches);
  void OnVolumeWheel(uint32_t lParam, const InputSwitches& switches);

 private:
  void ShowMeterIfHidden();
  void BringMeterForward();
  bool DigitKeyVolume(int target);

  app::MainWindowState& s_;
  InputPort& port_;
  int wheelRemainder_ = 0;  // deltas short of a notch (touchpads, free-spinning wheels)
};

}  // namespace volmaru::input
