// One settings file addressed key by key. Outside a transaction every read
// asks the file for one key and every write replaces (or deletes) one key or
// erases one section, so writers that share the file never disturb keys they
// do not name, and hand edits show at the next read.
//
// A transaction makes one operation (start-up's migrations, a menu toggle,
// the settings window's save, a saved-volume edit) read the file once, apply
// every edit in memory and replace the file once, atomically: either all of
// its edits reach the disk or none does. Reads inside it see one snapshot
// with the edits so far.
//
// Names and values are UTF-8 here. On disk the file is code page 932, unless
// it starts with a byte-order mark (UTF-8 or UTF-16, as some editors save
// it): then it is read in that encoding and written back in it.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "settings/file_port.h"

namespace volmaru::settings {

// A write that did not reach the file. In a transaction nothing of it was
// written; outside one, the keys written before stay written.
class SettingsWriteError : public std::runtime_error {
 public:
  SettingsWriteError(const std::string& path, std::string_view section, std::string_view key);
};

enum class FileEncoding { kAnsi, kUtf8Bom, kUtf16LeBom, kUtf16BeBom };

// The file's bytes as text for the profile rules: code page 932 bytes for an
// ANSI file, UTF-8 for the others (without the mark).
struct DecodedProfile {
  FileEncoding encoding = FileEncoding::kAnsi;
  std::string text;
};
DecodedProfile DecodeProfileBytes(std::string_view bytes);
// The inverse: the mark and the bytes in the file's own encoding.
std::string EncodeProfileText(std::string_view text, FileEncoding encoding);

class IniDocument;

class ProfileFile {
 public:
  ProfileFile(FilePort& files, std::string path);
  ~ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  const std::string& path() const { return path_; }
  bool Exists() const;

  // Nothing when the file, the section or the key is missing.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  std::vector<std::string> Keys(std::string_view section) const;
  // Names of the sections in the file, in file order.
  std::vector<std::string> Sections() const;

  // Outside a transaction each throws SettingsWriteError when the file
  // cannot be written; inside one they only edit the snapshot.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void DeleteKey(std::string_view section, std::string_view key);
  void EraseSection(std::string_view section);

  // One operation's reads and edits. Transactions nest: only the outermost
  // one reads and writes the file. Without Commit (an error on the way) the
  // edits are dropped and the file stays as it was.
  class Transaction {
   public:
    explicit Transaction(ProfileFile& file);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    // Replaces the file once when anything changed; throws
    // SettingsWriteError (and writes nothing) when that fails.
    void Commit();

   private:
    ProfileFile& file_;
    bool done_ = false;
  };

  // Reads of one operation (a load of many keys) from one reading of the
  // file.
  class ReadScope {
   public:
    explicit ReadScope(const ProfileFile& file) : file_(file) { file_.Begin(); }
    ~ReadScope();
    ReadScope(const ReadScope&) = delete;
    ReadScope& operator=(const ReadScope&) = delete;

   private:
    const ProfileFile& file_;
  };

 private:
  struct Snapshot;
  // How a scope ends: its edits committed, abandoned on an error (which also
  // fails the enclosing transaction), or a read scope that edited nothing.
  enum class Ending { kCommit, kAbandon, kRead };
  void Begin() const;
  void End(Ending ending) const;
  // The document to read: the open snapshot, or the file read now.
  const Snapshot& View(std::unique_ptr<Snapshot>& scratch) const;
  static std::unique_ptr<Snapshot> Load(FilePort& files, const std::string& path);

  FilePort& files_;
  std::string path_;
  // The open transaction's snapshot (reads open one too, for one operation).
  mutable std::unique_ptr<Snapshot> open_;
  mutable int depth_ = 0;
  mutable bool failed_ = false;
};

}  // namespace volmaru::settings
