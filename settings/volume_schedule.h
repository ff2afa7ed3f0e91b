#pragma once

#include <array>
#include <cmath>
#include <cstdint>

namespace volmaru {

inline constexpr int64_t kMillisecondsPerDay = 86400000;

// Whole milliseconds of the day of a day fraction (its date part dropped).
// Stored times compare by these: a day fraction such as 7:30:30 has no
// exact binary value, so sums of fractions land on either side of it.
inline int64_t MillisecondsOfDay(double dayFraction) {
  const double fraction = dayFraction - std::floor(dayFraction);
  int64_t ms = std::llround(fraction * static_cast<double>(kMillisecondsPerDay));
  if (ms >= kMillisecondsPerDay) ms -= kMillisecondsPerDay;
  return ms;
}

// One time band of the volume schedule: from Start to End the volume is the
// device's normal volume plus Offset. Times are day fractions; -1 = no time.
struct VolumeSchedule {
  double Start = -1.0;
  double End = -1.0;
  int Offset = 0;
  // A band takes part only when both of its times are set.
  bool IsComplete() const { return Start >= 0 && End >= 0; }
  bool operator==(const VolumeSchedule&) const = default;
};

// 8 day groups (0 = every day, 1 = Sunday .. 7 = Saturday) of 3 bands each.
using ScheduleTable = std::array<std::array<VolumeSchedule, 3>, 8>;

}  // namespace volmaru
