// Text conversions between the encodings the program meets: UTF-8 inside,
// UTF-16 at the Win32 boundary and code page 932 (Windows Shift-JIS) in the
// settings file and the ANSI interfaces.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace volmaru {

// Invalid UTF-8 or unpaired surrogates become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Code page 932 as Windows defines it. Bytes that do not form a character
// decode to U+30FB ("・"), the character Windows uses for them; characters
// without a code page 932 form encode as "?".
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

// First byte of a double-byte character in code page 932.
constexpr bool IsCp932LeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Case folding of the ASCII letters only; other bytes stay as they are.
constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
std::string ToAsciiLower(std::string_view s);

// A field read as a whole number: decimal digits with an optional sign,
// spaces around them allowed; nothing for empty, other or too large text.
std::optional<int> ParseFieldInteger(std::string_view text);

}  // namespace volmaru
