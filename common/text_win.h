// UTF-16 at the Win32 boundary: wchar_t strings from and to the UTF-8 the
// rest of the program uses.
#pragma once

#include <string>
#include <string_view>

namespace volmaru {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace volmaru
