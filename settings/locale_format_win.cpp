#include <windows.h>

#include "common/text_win.h"
#include "settings/time_format_win.h"

namespace volmaru::settings {
namespace {

std::string LocaleText(LCTYPE type, const std::string& fallback) {
  wchar_t buf[128];
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 128);
  if (n <= 1) return fallback;
  return Narrow(std::wstring_view(buf, static_cast<size_t>(n - 1)));
}

}  // namespace

DateTimeFormat UserLocaleDateTimeFormat() {
  const DateTimeFormat& ja = JapaneseDateTimeFormat();
  DateTimeFormat f;
  f.shortDate = LocaleText(LOCALE_SSHORTDATE, ja.shortDate);
  f.longTime = LocaleText(LOCALE_STIMEFORMAT, ja.longTime);
  f.am = LocaleText(LOCALE_S1159, ja.am);
  f.pm = LocaleText(LOCALE_S2359, ja.pm);
  return f;
}

}  // namespace volmaru::settings
