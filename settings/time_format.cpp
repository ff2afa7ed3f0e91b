#include "settings/time_format.h"

#include <cmath>
#include <cstdio>

namespace volmaru::settings {
namespace {

constexpr int kDayZeroYear = 1899;
constexpr int kDayZeroMonth = 12;
constexpr int kDayZeroDay = 30;

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

struct Fields {
  int year = kDayZeroYear, month = kDayZeroMonth, day = kDayZeroDay;
  int hour = 0, minute = 0, second = 0;
};

std::string Pad(int v, size_t width) {
  std::string s = std::to_string(v);
  while (s.size() < width) s.insert(s.begin(), '0');
  return s;
}

// Expands a Windows date or time pattern for the given fields.
std::string Expand(std::string_view pattern, const Fields& f, const DateTimeFormat& fmt) {
  std::string out;
  size_t i = 0;
  while (i < pattern.size()) {
    const char c = pattern[i];
    if (c == '\'') {
      const size_t close = pattern.find('\'', i + 1);
      const size_t end = close == std::string_view::npos ? pattern.size() : close;
      out += pattern.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    size_t n = 1;
    while (i + n < pattern.size() && pattern[i + n] == c) ++n;
    switch (c) {
      case 'y':
        out += n >= 3 ? Pad(f.year, 4) : Pad(f.year % 100, n == 2 ? 2 : 1);
        break;
      case 'M':
        out += Pad(f.month, n >= 2 ? 2 : 1);
        break;
      case 'd':
        if (n <= 2) out += Pad(f.day, n);
        break;  // day names are not written in the date part we use
      case 'H':
        out += Pad(f.hour, n >= 2 ? 2 : 1);
        break;
      case 'h': {
        const int h12 = f.hour % 12 == 0 ? 12 : f.hour % 12;
        out += Pad(h12, n >= 2 ? 2 : 1);
        break;
      }
      case 'm':
        out += Pad(f.minute, n >= 2 ? 2 : 1);
        break;
      case 's':
        out += Pad(f.second, n >= 2 ? 2 : 1);
        break;
      case 't':
        out += f.hour < 12 ? fmt.am : fmt.pm;
        break;
      case 'g':
        break;  // era names: none for day zero
      default:
        out.append(n, c);
        break;
    }
    i += n;
  }
  return out;
}

// The first character of a pattern that is not a field letter: the separator.
char SeparatorOf(std::string_view pattern, char fallback) {
  bool quoted = false;
  for (char c : pattern) {
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != ' ' && c != '\'') return c;
  }
  return fallback;
}

class Scanner {
 public:
  explicit Scanner(std::string_view s) : s_(s) {}
  void SkipSpaces() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }
  bool AtEnd() const { return pos_ >= s_.size(); }
  bool Eat(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool EatText(std::string_view t) {
    if (!t.empty() && s_.substr(pos_).substr(0, t.size()) == t) {
      pos_ += t.size();
      return true;
    }
    return false;
  }
  // Up to 4 digits; digitsRead tells how many.
  bool Number(int& value, int& digitsRead) {
    value = 0;
    digitsRead = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (++digitsRead > 4) return false;
      value = value * 10 + (s_[pos_] - '0');
      ++pos_;
    }
    return digitsRead > 0;
  }
  size_t pos() const { return pos_; }
  void set_pos(size_t p) { pos_ = p; }

 private:
  std::string_view s_;
  size_t pos_ = 0;
};

enum class Order { kYmd, kMdy, kDmy };

Order DateOrder(std::string_view pattern) {
  const size_t y = pattern.find('y'), m = pattern.find('M'), d = pattern.find('d');
  if (y < m && y < d) return Order::kYmd;
  if (m < d) return Order::kMdy;
  return Order::kDmy;
}

bool ScanDate(Scanner& sc, const DateTimeFormat& fmt, Fields& f) {
  const char sep = SeparatorOf(fmt.shortDate, '/');
  int n[3];
  int digits[3];
  for (int k = 0; k < 3; ++k) {
    if (k > 0 && !sc.Eat(sep)) return false;
    if (!sc.Number(n[k], digits[k])) return false;
  }
  int yearDigits = 0;
  switch (DateOrder(fmt.shortDate)) {
    case Order::kYmd:
      f.year = n[0], f.month = n[1], f.day = n[2], yearDigits = digits[0];
      break;
    case Order::kMdy:
      f.month = n[0], f.day = n[1], f.year = n[2], yearDigits = digits[2];
      break;
    case Order::kDmy:
      f.day = n[0], f.month = n[1], f.year = n[2], yearDigits = digits[2];
      break;
  }
  if (yearDigits <= 2) f.year += f.year < 50 ? 2000 : 1900;
  return f.year >= 1 && f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= DaysInMonth(f.year, f.month);
}

bool ScanTime(Scanner& sc, const DateTimeFormat& fmt, Fields& f) {
  const char sep = SeparatorOf(fmt.longTime, ':');
  int designator = 0;  // 0 none, 1 am, 2 pm
  auto eatDesignator = [&] {
    sc.SkipSpaces();
    if (sc.EatText(fmt.am) || sc.EatText("AM") || sc.EatText("am"))
      designator = 1;
    else if (sc.EatText(fmt.pm) || sc.EatText("PM") || sc.EatText("pm"))
      designator = 2;
    sc.SkipSpaces();
  };
  eatDesignator();
  int digits = 0;
  if (!sc.Number(f.hour, digits)) return false;
  if (sc.Eat(sep)) {
    if (!sc.Number(f.minute, digits)) return false;
    if (sc.Eat(sep) && !sc.Number(f.second, digits)) return false;
  }
  if (designator == 0) eatDesignator();
  if (designator != 0) {
    if (f.hour > 12) return false;
    if (designator == 1 && f.hour == 12) f.hour = 0;
    if (designator == 2 && f.hour < 12) f.hour += 12;
  }
  return f.hour < 24 && f.minute < 60 && f.second < 60;
}

}  // namespace

const DateTimeFormat& JapaneseDateTimeFormat() {
  static const DateTimeFormat format;
  return format;
}

std::string FormatTimeOfDay(double dayFraction, const DateTimeFormat& format) {
  Fields f;
  double secondsF = std::nearbyint(dayFraction * 86400.0);
  if (!(secondsF >= 0)) secondsF = 0;
  if (secondsF > 86399) secondsF = 86399;
  const int seconds = static_cast<int>(secondsF);
  f.hour = seconds / 3600;
  f.minute = seconds / 60 % 60;
  f.second = seconds % 60;
  std::string text = Expand(format.shortDate, f, format);
  if (seconds != 0) text += " " + Expand(format.longTime, f, format);
  return text;
}

std::optional<double> ParseTimeOfDay(std::string_view text, const DateTimeFormat& format) {
  Scanner sc(text);
  Fields f;
  sc.SkipSpaces();
  const size_t start = sc.pos();
  if (ScanDate(sc, format, f)) {
    sc.SkipSpaces();
    if (!sc.AtEnd() && !ScanTime(sc, format, f)) return std::nullopt;
  } else {
    sc.set_pos(start);
    f = Fields{};
    if (!ScanTime(sc, format, f)) return std::nullopt;
  }
  sc.SkipSpaces();
  if (!sc.AtEnd()) return std::nullopt;
  return (f.hour * 3600 + f.minute * 60 + f.second) / 86400.0;
}

}  // namespace volmaru::settings
