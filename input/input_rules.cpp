#include "input/input_rules.h"

#include "common/millis.h"

namespace volmaru::input {

bool WheelQualifies(const WheelHookContext& c) {
  // Strictly greater: a turn exactly at the end of the wait is still early.
  if (!(c.now - c.lastVolumeStepAt > ClampMillis(c.volumeChangeWaitTime))) return false;
  if (!c.taskbarExists) return false;
  if (c.taskbar.Contains(c.cursor)) return true;
  for (int i = 0; i < c.secondaryCount && i < kMaxSecondaryTaskbars; ++i) {
    if (c.secondary[i].Contains(c.cursor)) return true;
  }
  if (c.meterVisible && c.meter.Contains(c.cursor)) return true;
  return c.leftButtonDown;
}

int FoldVirtualKey(int vk) {
  switch (vk) {
    case 0xA2:
    case 0xA3:
      return 0x11;  // VK_CONTROL
    case 0xA0:
    case 0xA1:
      return 0x10;  // VK_SHIFT
    case 0xA4:
    case 0xA5:
      return 0x12;  // VK_MENU
    default:
      return vk;
  }
}

int DigitKeyTarget(int vk) {
  if (vk == 0x30 || vk == 0x60) return 100;
  if (vk >= 0x31 && vk <= 0x39) return (vk - 0x30) * 10;
  if (vk >= 0x61 && vk <= 0x69) return (vk - 0x60) * 10;
  return 0;
}

void InputHandlers::ShowMeterIfHidden() {
  if (!port_.MeterVisible()) {
    port_.ShowMeter();
    s_.MeterShownAt = port_.Now();
  }
}

void InputHandlers::BringMeterForward() {
  if (!port_.MeterIsForeground()) port_.ForceForegroundMeter();
}

void InputHandlers::OnVolumeKey(uint32_t wParam, uint32_t lParam, const InputSwitches& switches) {
  if (port_.IsEditingBox()) return;  // the user types into the meter's box
  const int vk = FoldVirtualKey(static_cast<int>(lParam & 0xFFFFu));
  const settings::KeyboardSettings& k = s_.Keyboard;

  if (vk == k.MainKey.code) {
    if (k.MainKeyOnly) {
      if (!port_.MeterVisible()) {
        port_.ShowMeter();
        s_.MeterShownAt = port_.Now();
        if (s_.IsMuted)
          port_.RefreshMeter();
        else
          port_.DrawMeter();
      }
      port_.ForceForegroundMeter();
    }
    return;  // the main key itself never changes the volume
  }
  if (switches.noChangeByKey) return;

  // A key counts while the main key is held, or while the meter has the
  // foreground (after the main key alone brought it there).
  const bool mainHeld = (wParam & kMainKeyHeldFlag) != 0;
  if (!mainHeld && !port_.MeterIsForeground()) return;

  const uint32_t now = port_.Now();
  if (now - s_.LastMuteToggleAt >= kMuteGuardMs && vk == k.MuteKey.code && !s_.WheelBusy) {
    ShowMeterIfHidden();
    BringMeterForward();
    const bool ok = port_.ToggleMute();
    port_.ProcessPendingMessages();
    if (ok) port_.RefreshMeter();
    s_.LastMuteToggleAt = now;
    return;
  }
  if ((vk == k.VolumeUpKey.code || vk == k.VolumeDownKey.code) &&
      now - s_.LastVolumeStepAt > ClampMillis(s_.VolumeChangeWaitTime)) {
    const int cur = port_.CurrentVolume();
    int next = vk == k.VolumeUpKey.code ? cur + k.VolumeStep : cur - k.VolumeStep;
    if (next > 100) next = 100;
    if (next < 0) next = 0;
    ShowMeterIfHidden();
    BringMeterForward();
    if (port_.SetVolume(next)) port_.DrawMeter();
    s_.LastVolumeStepAt = now;
    return;
  }
  // Digits have no rate limit; a mute or step key inside its interval ends
  // here and does nothing unless it is also a digit.
  const int target = DigitKeyTarget(vk);
  if (target != 0) {
    ShowMeterIfHidden();
    BringMeterForward();
    if (port_.SetVolume(target)) port_.DrawMeter();
  }
}

bool InputHandlers::DigitKeyVolume(int target) {
  if (target == 0) return false;
  if (!port_.MeterVisible()) {
    port_.ShowMeter();
    s_.MeterShownAt = port_.Now();
    port_.ForceForegroundMeter();
  }
  if (port_.SetVolume(target)) port_.DrawMeter();
  return true;
}

void InputHandlers::OnVolumeWheel(uint32_t lParam, const InputSwitches& switches) {
  if (switches.noChangeByMouse) return;
  s_.WheelBusy = true;
  struct ClearBusy {
    bool& flag;
    ~ClearBusy() { flag = false; }
  } clearBusy{s_.WheelBusy};

  ShowMeterIfHidden();
  if (DigitKeyVolume(WheelDigitTarget(lParam))) return;
  if (WheelMuteKeyHeld(lParam)) {
    const uint32_t now = port_.Now();
    if (now - s_.LastMuteToggleAt >= kMuteGuardMs && port_.ToggleMute()) {
      port_.RefreshMeter();
      s_.LastMuteToggleAt = now;
    }
    return;
  }
  if (port_.Muted()) {
    // The wheel does not change the volume while muted.
    port_.CloseMeter();
    s_.MeterShownAt = 0;
    return;
  }
  // A notch or more is one step; smaller deltas add up to a notch first.
  const int delta = WheelDelta(lParam);
  int direction = 0;
  if (delta >= kWheelNotch || delta <= -kWheelNotch) {
    wheelRemainder_ = 0;
    direction = delta > 0 ? 1 : -1;
  } else if (delta != 0) {
    if ((wheelRemainder_ > 0) != (delta > 0)) wheelRemainder_ = 0;  // turned back
    wheelRemainder_ += delta;
    if (wheelRemainder_ >= kWheelNotch || wheelRemainder_ <= -kWheelNotch) {
      direction = wheelRemainder_ > 0 ? 1 : -1;
      wheelRemainder_ -= direction * kWheelNotch;
    }
  }
  const uint32_t now = port_.Now();
  if (direction != 0 && now - s_.LastVolumeStepAt > ClampMillis(s_.VolumeChangeWaitTime)) {
    const int step = s_.WheelReverse ? -s_.Keyboard.VolumeStep : s_.Keyboard.VolumeStep;
    int next = port_.CurrentVolume() + (direction > 0 ? step : -step);
    if (next > 100) next = 100;
    if (next < 0) next = 0;
    if (port_.SetVolume(next)) {
      port_.DrawMeter();
      s_.LastVolumeStepAt = now;
    }
  }
}

}  // namespace volmaru::input
