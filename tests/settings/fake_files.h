// An in-memory file system for the settings tests: counts accesses and can
// refuse writes or reads.
#pragma once

#include <map>
#include <set>
#include <string>

#include "settings/file_port.h"

namespace volmaru::settings::testing {

class FakeFiles final : public FilePort {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> dirs;
  std::set<std::string> readOnly;
  std::set<std::string> unreadable;
  bool failAllWrites = false;
  int writeBudget = -1;  // writes allowed before they start failing; -1 = no limit
  int reads = 0;
  int writes = 0;

  ReadResult ReadFile(const std::string& path) override {
    ++reads;
    if (unreadable.count(path)) return {ReadResult::kError, {}};
    const auto it = files.find(path);
    if (it == files.end()) return {ReadResult::kMissing, {}};
    return {ReadResult::kOk, it->second};
  }
  bool ReplaceFile(const std::string& path, std::string_view bytes, bool /*durable*/ = true) override {
    if (failAllWrites || readOnly.count(path) || writeBudget == 0) return false;
    if (writeBudget > 0) --writeBudget;
    ++writes;
    files[path] = std::string(bytes);
    return true;
  }
  void RemoveLeftoverTemporaries(const std::string& path) override {
    for (auto it = files.lower_bound(path + ".new"); it != files.end() && it->first.rfind(path + ".new", 0) == 0;) {
      it = files.erase(it);
    }
  }
  bool DirectoryExists(const std::string& path) override { return dirs.count(path) != 0; }
  bool CreateDirectories(const std::string& path) override {
    dirs.insert(path);
    return true;
  }
};

}  // namespace volmaru::settings::testing
