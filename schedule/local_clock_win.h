// The local wall clock for the schedules.
#pragma once

#include "schedule/schedule_runtime.h"

namespace volmaru::schedule {

class LocalClock final : public Clock {
 public:
  LocalTime Now() override;
};

}  // namespace volmaru::schedule
