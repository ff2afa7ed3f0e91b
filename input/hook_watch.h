// Low-level hooks that Windows removed without a word. From Windows 7 on, a
// hook whose thread did not answer within the system's time-out is taken
// out of the chain while its handle stays valid-looking, so "install while
// the handle is 0" never notices, and the chords and the wheel are dead
// until the program restarts (users meet it after sleep, after unlocking,
// under heavy load). The hooks note when they last saw an event; input the
// system saw later (its last-input time) that the hooks did not is the
// sign that they are gone, and they are installed again.
#pragma once

#include <cstdint>

namespace volmaru::input {

// Input the hooks missed for this long counts as lost hooks.
inline constexpr uint32_t kHooksMissedInputMs = 3000;
// Reinstalling at most this often: input that the hooks never get (an
// elevated window has the focus) would otherwise reinstall them on every
// check.
inline constexpr uint32_t kHookReinstallGapMs = 10000;
// How often the main timer looks (every twentieth tick); only when the hooks
// have seen nothing for a while does it ask the system for its last input
// (a call into the system, which a resting program makes as rarely as it
// can).
inline constexpr int kHookCheckTicks = 20;
constexpr bool HooksWorthAsking(uint32_t hooksLastSawAt, uint32_t now) {
  return now - hooksLastSawAt > kHooksMissedInputMs;
}

// Times are millisecond ticks of the same clock (GetTickCount), compared
// with unsigned differences so that the 49.7-day wrap is harmless;
// `lastReinstallAt` is 0 before the first reinstallation.
constexpr bool HooksLookLost(uint32_t lastInputAt, uint32_t hooksLastSawAt, uint32_t lastReinstallAt, uint32_t now) {
  const auto missed = static_cast<int32_t>(lastInputAt - hooksLastSawAt);
  if (missed <= static_cast<int32_t>(kHooksMissedInputMs)) return false;
  return lastReinstallAt == 0 || now - lastReinstallAt >= kHookReinstallGapMs;
}

// One event reaches a hook once per hook in the chain: while an old and a
// new copy are both installed (the new one goes in before the old one goes
// out, so that no key-down is lost in between), the second sight of the
// same event is skipped.
struct HookEvent {
  uint32_t a = 0, b = 0, c = 0, time = 0;
  bool operator==(const HookEvent&) const = default;
};
class SeenOnce {
 public:
  // True the first time an event is seen.
  bool First(const HookEvent& e) {
    if (seen_ && last_ == e) return false;
    seen_ = true;
    last_ = e;
    return true;
  }

 private:
  bool seen_ = false;
  HookEvent last_;
};

}  // namespace volmaru::input
