// Times of day in the settings file are written as the locale's date-and-time
// text of day zero (30 December 1899): the short date, then, unless the time
// is exactly 00:00:00, a space and the long time ("1899/12/30 7:30:00" in a
// Japanese locale). In memory they are day fractions (0.5 = 12:00).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace volmaru::settings {

// Patterns in the Windows locale notation (yyyy, M, dd, H, hh, mm, ss, tt and
// quoted literals).
struct DateTimeFormat {
  std::string shortDate = "yyyy/MM/dd";
  std::string longTime = "H:mm:ss";
  std::string am = "午前";
  std::string pm = "午後";
};

// The Japanese locale's formats, used where no Windows locale exists.
const DateTimeFormat& JapaneseDateTimeFormat();

// The text written for a time of day (a fraction of a day, 0 <= t < 1).
std::string FormatTimeOfDay(double dayFraction, const DateTimeFormat& format);

// Reads text written as above (or a time alone, or a date alone) and returns
// the time of day it names as a day fraction; nothing when the text is not a
// valid date-and-time. Only day zero is ever written, so the date is checked
// but does not move the time.
std::optional<double> ParseTimeOfDay(std::string_view text, const DateTimeFormat& format);

}  // namespace volmaru::settings
