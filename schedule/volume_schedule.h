#pragma once

#include <array>

namespace volmaru {

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
