#include "settings/ini_document.h"

#include "common/text.h"

namespace volmaru::settings {
namespace {

constexpr size_t npos = std::string::npos;

bool IsProfileSpace(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

// Length in bytes of the character starting at s[i].
size_t CharLen(std::string_view s, size_t i, IniText text) {
  const auto c = static_cast<unsigned char>(s[i]);
  size_t len = 1;
  if (text == IniText::kCp932) {
    len = IsCp932LeadByte(c) ? 2 : 1;
  } else if (c >= 0xF0) {
    len = 4;
  } else if (c >= 0xE0) {
    len = 3;
  } else if (c >= 0xC0) {
    len = 2;
  }
  return i + len <= s.size() ? len : 1;
}

size_t CharCount(std::string_view s, IniText text) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i, text)) ++n;
  return n;
}

// The first `chars` characters of s.
std::string_view FirstChars(std::string_view s, size_t chars, IniText text) {
  size_t i = 0;
  for (size_t n = 0; n < chars && i < s.size(); ++n) i += CharLen(s, i, text);
  return s.substr(0, i);
}

// At most `bytes` bytes of s without splitting a multi-byte character.
std::string_view FirstBytes(std::string_view s, size_t bytes, IniText text) {
  size_t i = 0;
  while (i < s.size()) {
    const size_t len = CharLen(s, i, text);
    if (i + len > bytes) break;
    i += len;
  }
  return s.substr(0, i);
}

// Start of the last character of s (s not empty).
size_t LastCharStart(std::string_view s, IniText text) {
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i, text)) last = i;
  return last;
}

}  // namespace

std::string_view TrimProfileSpace(std::string_view s) {
  while (!s.empty() && IsProfileSpace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && IsProfileSpace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool ProfileNamesEqual(std::string_view a, std::string_view b, IniText text) {
  if (a.size() != b.size()) return false;
  size_t i = 0;
  while (i < a.size()) {
    const size_t len = CharLen(a, i, text);
    if (len > 1) {
      if (a.substr(i, len) != b.substr(i, len)) return false;
    } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
      return false;
    }
    i += len;
  }
  return true;
}

bool IniDocument::NamesEqual(std::string_view a, std::string_view b) const { return ProfileNamesEqual(a, b, text_); }

IniDocument::Line IniDocument::Classify(std::string text, std::string eol) const {
  Line line;
  line.text = std::move(text);
  line.eol = std::move(eol);
  const std::string_view t = TrimProfileSpace(line.text);
  if (t.empty()) {
    line.kind = Kind::kBlank;
    return line;
  }
  if (t.front() == '[') {
    // The name runs to the last "]" of the line; a "]" that is the second
    // byte of a double-byte character does not count.
    size_t close = npos;
    for (size_t i = 1; i < t.size(); i += CharLen(t, i, text_)) {
      if (t[i] == ']') close = i;
    }
    if (close != npos) {
      line.kind = Kind::kSection;
      line.name = std::string(TrimProfileSpace(t.substr(1, close - 1)));
      return line;
    }
    // A "[" line without "]" is read like any other line.
  }
  line.kind = Kind::kKey;
  const size_t eq = t.find('=');  // "=" is never the second byte of a character
  if (eq == npos) {
    line.name = std::string(t);
    return line;
  }
  line.name = std::string(TrimProfileSpace(t.substr(0, eq)));
  line.value = std::string(TrimProfileSpace(t.substr(eq + 1)));
  line.hasValue = true;
  return line;
}

IniDocument IniDocument::Parse(std::string_view bytes, IniText text) {
  IniDocument doc;
  doc.text_ = text;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    size_t next = end;
    if (next < bytes.size()) {
      next += (bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n') ? 2 : 1;
    }
    doc.lines_.push_back(
        doc.Classify(std::string(bytes.substr(start, end - start)), std::string(bytes.substr(end, next - end))));
    start = next;
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Line& l : lines_) {
    out += l.text;
    out += l.eol;
  }
  return out;
}

size_t IniDocument::FindSection(std::string_view name) const { return FindSectionExactly(TrimProfileSpace(name)); }

size_t IniDocument::FindSectionExactly(std::string_view wanted) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection && NamesEqual(lines_[i].name, wanted)) return i;
  }
  return npos;
}

size_t IniDocument::SectionEnd(size_t header) const {
  size_t i = header + 1;
  while (i < lines_.size() && lines_[i].kind != Kind::kSection) ++i;
  return i;
}

std::string IniDocument::NewLineEnd() const {
  for (const Line& l : lines_) {
    if (!l.eol.empty()) return l.eol;
  }
  return "\r\n";
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const std::string_view wantedKey = TrimProfileSpace(key);
  const size_t header = FindSection(section);
  if (header == npos) return std::nullopt;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& l = lines_[i];
    if (l.kind != Kind::kKey || !NamesEqual(l.name, wantedKey)) continue;
    if (!l.hasValue) return std::nullopt;
    std::string_view v = l.value;
    v = v.substr(0, v.find('\0'));  // the caller sees a C string
    // Matching quotes are removed; when the value is too long for the buffer
    // the closing quote is cut off by the copy and the last copied
    // character is dropped instead, as the platform does.
    bool quoted = false;
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && LastCharStart(v, text_) == v.size() - 1 &&
        v.back() == v.front()) {
      quoted = true;
      v.remove_prefix(1);
    }
    const size_t chars = CharCount(v, text_);
    std::string_view copied = FirstChars(v, kValueBufferSize - 1, text_);
    if (quoted && kValueBufferSize >= chars && !copied.empty()) {
      copied = copied.substr(0, LastCharStart(copied, text_));
    }
    return std::string(FirstBytes(copied, kValueBufferSize - 1, text_));
  }
  return std::nullopt;
}

bool IniDocument::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::vector<std::string> IniDocument::SectionNames() const {
  std::vector<std::string> names;
  for (const Line& l : lines_) {
    if (l.kind == Kind::kSection) names.push_back(l.name);
  }
  return names;
}

std::vector<std::string> IniDocument::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  // The listing, unlike a key lookup, takes the section name as given.
  const size_t header = FindSectionExactly(section);
  if (header == npos) return keys;
  const size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end; ++i) {
    const Line& l = lines_[i];
    if (l.kind == Kind::kKey && l.hasValue && !l.name.empty() && l.name.front() != ';') {
      keys.push_back(l.name);
    }
  }
  return keys;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string cleanValue(value);
  for (char& c : cleanValue) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string keyName(TrimProfileSpace(key));
  const std::string eol = NewLineEnd();
  size_t header = FindSection(section);
  if (header == npos) {
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    lines_.push_back(Classify("[" + std::string(TrimProfileSpace(section)) + "]", eol));
    lines_.push_back(Classify(keyName + "=" + cleanValue, eol));
    return;
  }
  const size_t end = SectionEnd(header);
  size_t lastContent = header;
  for (size_t i = header + 1; i < end; ++i) {
    Line& l = lines_[i];
    if (l.kind == Kind::kKey && NamesEqual(l.name, keyName)) {
      // The name keeps the spelling the file gives it.
      const std::string name = l.name;
      std::string lineEnd = l.eol;
      l = Classify(name + "=" + cleanValue, std::move(lineEnd));
      return;
    }
    if (l.kind != Kind::kBlank) lastContent = i;
  }
  if (lines_[lastContent].eol.empty()) lines_[lastContent].eol = eol;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(lastContent + 1),
                Classify(keyName + "=" + cleanValue, eol));
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
  const size_t header = FindSection(section);
  if (header == npos) return false;
  const std::string_view wantedKey = TrimProfileSpace(key);
  bool changed = false;
  size_t end = SectionEnd(header);
  for (size_t i = header + 1; i < end;) {
    if (lines_[i].kind == Kind::kKey && NamesEqual(lines_[i].name, wantedKey)) {
      lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
      --end;
      changed = true;
    } else {
      ++i;
    }
  }
  return changed;
}

bool IniDocument::EraseSection(std::string_view section) {
  // Every section of that name goes, so that no later duplicate comes to
  // light in place of the erased one.
  bool changed = false;
  for (size_t header = FindSection(section); header != npos; header = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
    changed = true;
  }
  return changed;
}

}  // namespace volmaru::settings
