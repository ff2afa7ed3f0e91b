// One settings file addressed key by key: every read asks the file for one
// key and every write replaces (or deletes) one key or erases one section.
// Nothing is cached, so writers that share the file never disturb keys they
// do not name, and hand edits show at the next read. Names and values are
// UTF-8 here and code page 932 on disk.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_port.h"

namespace volmaru::settings {

// A write that did not reach the file. The operation that writes stops at
// that key; the keys it wrote before stay written.
class SettingsWriteError : public std::runtime_error {
 public:
  SettingsWriteError(const std::string& path, std::string_view section, std::string_view key);
};

class ProfileFile {
 public:
  ProfileFile(FilePort& files, std::string path) : files_(files), path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  bool Exists() const;

  // Nothing when the file, the section or the key is missing.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  std::vector<std::string> Keys(std::string_view section) const;
  // Names of the sections in the file, in file order.
  std::vector<std::string> Sections() const;

  // Each throws SettingsWriteError when the file cannot be written.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

 private:
  // The file's bytes for reading: nothing readable reads as an empty file.
  std::string Load() const;
  // The file's bytes for an edit; throws when an existing file cannot be
  // read, since writing then would lose its other keys.
  std::string LoadForEdit(std::string_view section, std::string_view key) const;
  void Store(const std::string& bytes, std::string_view section, std::string_view key);

  FilePort& files_;
  std::string path_;
};

}  // namespace volmaru::settings
