// The few file operations the settings code needs, behind an interface so
// that tests can count them or make them fail. Paths are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace volmaru::settings {

class FilePort {
 public:
  virtual ~FilePort() = default;
  struct ReadResult {
    enum Status { kOk, kMissing, kError } status = kMissing;
    std::string bytes;
  };
  // The whole file; kMissing when there is none, kError when it exists but
  // cannot be read (a writer must then not replace it).
  virtual ReadResult ReadFile(const std::string& path) = 0;
  // Replaces the file with `bytes` so that a crash at any moment leaves
  // either the old or the new file: the bytes go to a temporary file beside
  // it (named path + ".new" + something), are flushed to disk and the
  // temporary file takes the old one's place, keeping its attributes and
  // permissions. A file another process holds for a moment (a virus
  // scanner, a sync client) is waited for briefly. A read-only file is not
  // replaced. False when nothing was replaced. `durable` = false is for
  // files that are made again at the next change, like the rendered tray
  // icon: no flush to disk, and a holder is waited for a few milliseconds
  // at most (the write is skipped); the replacement stays atomic.
  virtual bool ReplaceFile(const std::string& path, std::string_view bytes, bool durable = true) = 0;
  // Removes the temporary files of ReplaceFile that a crash left beside
  // `path`.
  virtual void RemoveLeftoverTemporaries(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Creates the folder and every missing parent; true when it exists after.
  virtual bool CreateDirectories(const std::string& path) = 0;
};

// The platform's real file system.
FilePort& SystemFiles();

}  // namespace volmaru::settings
