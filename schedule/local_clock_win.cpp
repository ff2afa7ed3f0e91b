#include "schedule/local_clock_win.h"

#include <windows.h>

namespace volmaru::schedule {

LocalTime LocalClock::Now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  LocalTime now;
  now.date = {t.wYear, t.wMonth, t.wDay};
  now.weekday = t.wDayOfWeek + 1;  // Sunday is 0 here, 1 in the day groups
  now.hour = t.wHour;
  now.minute = t.wMinute;
  now.second = t.wSecond;
  now.millisecond = t.wMilliseconds;
  return now;
}

}  // namespace volmaru::schedule
