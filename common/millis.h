// Waits and display times from the settings file as the unsigned
// millisecond arithmetic of timeGetTime can hold them. The file's values are
// used as they stand; only what that arithmetic cannot hold is mended: a
// negative time (a hand edit) counts as 0 instead of wrapping to about 49
// days, and a time too large for 32 bits is capped at the largest that fits
// instead of wrapping to some short one.
#pragma once

#include <cstdint>
#include <limits>

namespace volmaru {

constexpr uint32_t ClampMillis(int64_t ms) {
  if (ms < 0) return 0;
  constexpr auto kMax = static_cast<int64_t>(std::numeric_limits<uint32_t>::max());
  return ms > kMax ? std::numeric_limits<uint32_t>::max() : static_cast<uint32_t>(ms);
}

constexpr uint32_t MillisFromSeconds(int64_t seconds) {
  // Both ends are clamped before the product so it cannot overflow.
  if (seconds < 0) return 0;
  if (seconds > std::numeric_limits<uint32_t>::max() / 1000) return std::numeric_limits<uint32_t>::max();
  return ClampMillis(seconds * 1000);
}

}  // namespace volmaru
