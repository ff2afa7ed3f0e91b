#include <windows.h>

#include "common/text.h"
#include "common/text_win.h"

namespace volmaru {
namespace {

std::wstring MultiToWide(UINT codePage, std::string_view in) {
  if (in.empty()) return {};
  const int n = MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, in.data(), static_cast<int>(in.size()), out.data(), n);
  return out;
}

std::string WideToMulti(UINT codePage, std::wstring_view in) {
  if (in.empty()) return {};
  const int n = WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, in.data(), static_cast<int>(in.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
  const std::u16string u = Utf8ToUtf16(utf8);
  return std::wstring(u.begin(), u.end());
}

std::string Narrow(std::wstring_view utf16) { return Utf16ToUtf8(std::u16string(utf16.begin(), utf16.end())); }

std::string Cp932ToUtf8(std::string_view cp932) { return Narrow(MultiToWide(932, cp932)); }

std::string Utf8ToCp932(std::string_view utf8) { return WideToMulti(932, Widen(utf8)); }

}  // namespace volmaru
