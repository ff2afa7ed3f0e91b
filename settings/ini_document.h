// A private-profile ("INI") file in code page 932, read and edited with the
// rules Windows applies to GetPrivateProfileString/WritePrivateProfileString:
// section and key names match without regard to ASCII case, spaces around
// names and values are trimmed, a value in matching quotes is unquoted, the
// first of duplicate sections and keys wins, and lines without "=" hold no
// value; spaces inside the brackets of a section name do not count. Edits touch only the lines they name; every other
// byte of the file (comments, unknown sections, line ends) is kept as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace volmaru::settings {

// Size of the buffer values are read through: at most kValueBufferSize - 1
// bytes of a value are seen.
inline constexpr size_t kValueBufferSize = 2048;

// How the document's bytes form characters: code page 932 (an ANSI file,
// where the second byte of a character can look like ASCII) or UTF-8 (a file
// that carried a byte-order mark; its multi-byte characters never contain an
// ASCII byte).
enum class IniText { kCp932, kUtf8 };

class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument Parse(std::string_view bytes, IniText text = IniText::kCp932);
  IniText text() const { return text_; }

  std::string Serialize() const;

  // The value as the profile functions return it, or nothing when the
  // section or key is missing or the key line has no "=".
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;
  // Names of every section header, in file order (duplicates included).
  std::vector<std::string> SectionNames() const;
  // Names of the keys with a value in the section, in file order.
  std::vector<std::string> Keys(std::string_view section) const;

  // Replaces the key's value, or adds the key at the end of its section, or
  // adds the section at the end of the file. Line breaks inside the value
  // would split the line into keys of their own, so they become spaces.
  void Set(std::string_view section, std::string_view key, std::string_view value);
  // Each returns whether the document changed.
  bool DeleteKey(std::string_view section, std::string_view key);
  bool EraseSection(std::string_view section);

 private:
  enum class Kind { kBlank, kSection, kKey, kOther };
  struct Line {
    std::string text;  // without its line end
    std::string eol;   // "\r\n", "\n", "\r" or "" for a last line without one
    Kind kind = Kind::kOther;
    std::string name;   // section or key name
    std::string value;  // key value, trimmed
    bool hasValue = false;
  };
  Line Classify(std::string text, std::string eol) const;
  // Index of the first section header with that name, or npos.
  size_t FindSection(std::string_view name) const;
  size_t FindSectionExactly(std::string_view name) const;
  size_t SectionEnd(size_t header) const;
  std::string NewLineEnd() const;

  bool NamesEqual(std::string_view a, std::string_view b) const;

  std::vector<Line> lines_;
  IniText text_ = IniText::kCp932;
};

// Name comparison of the profile functions: ASCII letters fold, double-byte
// characters of code page 932 (or multi-byte UTF-8 ones) compare as they are.
bool ProfileNamesEqual(std::string_view a, std::string_view b, IniText text = IniText::kCp932);
// Spaces, tabs, line breaks and the end-of-file mark around a name or value.
std::string_view TrimProfileSpace(std::string_view s);

}  // namespace volmaru::settings
