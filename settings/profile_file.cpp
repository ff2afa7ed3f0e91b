#include "settings/profile_file.h"

#include "common/text.h"
#include "settings/ini_document.h"

namespace volmaru::settings {

SettingsWriteError::SettingsWriteError(const std::string& path, std::string_view section, std::string_view key)
    : std::runtime_error("cannot write [" + std::string(section) + "] " + std::string(key) + " to " + path) {}

std::string ProfileFile::Load() const { return files_.ReadFile(path_).bytes; }

std::string ProfileFile::LoadForEdit(std::string_view section, std::string_view key) const {
  FilePort::ReadResult r = files_.ReadFile(path_);
  if (r.status == FilePort::ReadResult::kError) throw SettingsWriteError(path_, section, key);
  return std::move(r.bytes);
}

bool ProfileFile::Exists() const { return files_.ReadFile(path_).status != FilePort::ReadResult::kMissing; }

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key) const {
  const std::optional<std::string> raw = IniDocument::Parse(Load()).Get(Utf8ToCp932(section), Utf8ToCp932(key));
  if (!raw) return std::nullopt;
  return Cp932ToUtf8(*raw);
}

bool ProfileFile::HasSection(std::string_view section) const {
  return IniDocument::Parse(Load()).HasSection(Utf8ToCp932(section));
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  const std::string wanted = Utf8ToCp932(key);
  for (const std::string& k : IniDocument::Parse(Load()).Keys(Utf8ToCp932(section))) {
    if (ProfileNamesEqual(k, TrimProfileSpace(wanted))) return true;
  }
  return false;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
  std::vector<std::string> keys = IniDocument::Parse(Load()).Keys(Utf8ToCp932(section));
  for (std::string& k : keys) k = Cp932ToUtf8(k);
  return keys;
}

std::vector<std::string> ProfileFile::Sections() const {
  std::vector<std::string> names = IniDocument::Parse(Load()).SectionNames();
  for (std::string& n : names) n = Cp932ToUtf8(n);
  return names;
}

void ProfileFile::Store(const std::string& bytes, std::string_view section, std::string_view key) {
  if (!files_.ReplaceFile(path_, bytes)) throw SettingsWriteError(path_, section, key);
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  IniDocument doc = IniDocument::Parse(LoadForEdit(section, key));
  doc.Set(Utf8ToCp932(section), Utf8ToCp932(key), Utf8ToCp932(value));
  Store(doc.Serialize(), section, key);
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  IniDocument doc = IniDocument::Parse(LoadForEdit(section, key));
  if (doc.DeleteKey(Utf8ToCp932(section), Utf8ToCp932(key))) Store(doc.Serialize(), section, key);
}

void ProfileFile::EraseSection(std::string_view section) {
  IniDocument doc = IniDocument::Parse(LoadForEdit(section, ""));
  if (doc.EraseSection(Utf8ToCp932(section))) Store(doc.Serialize(), section, "");
}

}  // namespace volmaru::settings
