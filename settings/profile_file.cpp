#include "settings/profile_file.h"

#include "common/text.h"
#include "settings/ini_document.h"

namespace volmaru::settings {

SettingsWriteError::SettingsWriteError(const std::string& path, std::string_view section, std::string_view key)
    : std::runtime_error("cannot write [" + std::string(section) + "] " + std::string(key) + " to " + path) {}

DecodedProfile DecodeProfileBytes(std::string_view bytes) {
  const auto starts = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return {FileEncoding::kUtf8Bom, std::string(bytes.substr(3))};
  const bool le = starts("\xFF\xFE");
  if (le || starts("\xFE\xFF")) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    // An odd last byte is no character and is dropped.
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto lo = static_cast<unsigned char>(bytes[le ? i : i + 1]);
      const auto hi = static_cast<unsigned char>(bytes[le ? i + 1 : i]);
      units.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return {le ? FileEncoding::kUtf16LeBom : FileEncoding::kUtf16BeBom, Utf16ToUtf8(units)};
  }
  return {FileEncoding::kAnsi, std::string(bytes)};
}

std::string EncodeProfileText(std::string_view text, FileEncoding encoding) {
  switch (encoding) {
    case FileEncoding::kAnsi:
      return std::string(text);
    case FileEncoding::kUtf8Bom:
      return "\xEF\xBB\xBF" + std::string(text);
    case FileEncoding::kUtf16LeBom:
    case FileEncoding::kUtf16BeBom: {
      const bool le = encoding == FileEncoding::kUtf16LeBom;
      std::string out = le ? "\xFF\xFE" : "\xFE\xFF";
      for (char16_t u : Utf8ToUtf16(text)) {
        const char lo = static_cast<char>(u & 0xFF);
        const char hi = static_cast<char>(u >> 8);
        out += le ? lo : hi;
        out += le ? hi : lo;
      }
      return out;
    }
  }
  return std::string(text);
}

struct ProfileFile::Snapshot {
  FilePort::ReadResult::Status status = FilePort::ReadResult::kMissing;
  FileEncoding encoding = FileEncoding::kAnsi;
  IniDocument doc;
  bool dirty = false;

  // Names and values of the program (UTF-8) as the document holds them.
  std::string Out(std::string_view utf8) const {
    return encoding == FileEncoding::kAnsi ? Utf8ToCp932(utf8) : std::string(utf8);
  }
  // What the program gets back is always valid UTF-8: a file that only
  // claims to be UTF-8 has its broken sequences replaced.
  std::string In(std::string_view text) const {
    return encoding == FileEncoding::kAnsi ? Cp932ToUtf8(text) : Utf16ToUtf8(Utf8ToUtf16(text));
  }
};

ProfileFile::ProfileFile(FilePort& files, std::string path) : files_(files), path_(std::move(path)) {}

ProfileFile::~ProfileFile() = default;

std::unique_ptr<ProfileFile::Snapshot> ProfileFile::Load(FilePort& files, const std::string& path) {
  auto snap = std::make_unique<Snapshot>();
  FilePort::ReadResult r = files.ReadFile(path);
  snap->status = r.status;
  if (r.status == FilePort::ReadResult::kOk) {
    DecodedProfile decoded = DecodeProfileBytes(r.bytes);
    snap->encoding = decoded.encoding;
    snap->doc =
        IniDocument::Parse(decoded.text, decoded.encoding == FileEncoding::kAnsi ? IniText::kCp932 : IniText::kUtf8);
  }
  // A file that cannot be read reads as an empty one.
  return snap;
}

void ProfileFile::Begin() const {
  if (depth_++ == 0) {
    failed_ = false;
    open_ = Load(files_, path_);
  }
}

void ProfileFile::End(Ending ending) const {
  if (ending == Ending::kAbandon) failed_ = true;
  if (--depth_ > 0) return;
  std::unique_ptr<Snapshot> snap = std::move(open_);
  const bool failed = failed_;
  failed_ = false;
  // A read scope holds no edits of its own; one that got some anyway (a
  // write while only reading) still writes them rather than lose them.
  if (ending == Ending::kAbandon || !snap->dirty) return;
  // A part of the operation went wrong: none of it is written.
  if (failed) throw SettingsWriteError(path_, "", "");
  // An existing file that cannot be read is never replaced: its other keys
  // would be lost.
  if (snap->status == FilePort::ReadResult::kError) throw SettingsWriteError(path_, "", "");
  if (!files_.ReplaceFile(path_, EncodeProfileText(snap->doc.Serialize(), snap->encoding))) {
    throw SettingsWriteError(path_, "", "");
  }
}

ProfileFile::Transaction::Transaction(ProfileFile& file) : file_(file) { file_.Begin(); }

ProfileFile::Transaction::~Transaction() {
  if (!done_) file_.End(Ending::kAbandon);  // dropping edits never writes
}

void ProfileFile::Transaction::Commit() {
  done_ = true;
  file_.End(Ending::kCommit);
}

ProfileFile::ReadScope::~ReadScope() {
  try {
    file_.End(Ending::kRead);
  } catch (const SettingsWriteError&) {
    // Only a write made under a read scope can fail here; it is dropped
    // like any failed settings write.
  }
}

const ProfileFile::Snapshot& ProfileFile::View(std::unique_ptr<Snapshot>& scratch) const {
  if (open_) return *open_;
  scratch = Load(files_, path_);
  return *scratch;
}

bool ProfileFile::Exists() const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  return s.status != FilePort::ReadResult::kMissing || s.dirty;
}

std::optional<std::string> ProfileFile::Read(std::string_view section, std::string_view key) const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  const std::optional<std::string> raw = s.doc.Get(s.Out(section), s.Out(key));
  if (!raw) return std::nullopt;
  return s.In(*raw);
}

bool ProfileFile::HasSection(std::string_view section) const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  return s.doc.HasSection(s.Out(section));
}

bool ProfileFile::HasKey(std::string_view section, std::string_view key) const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  const std::string wanted = s.Out(key);
  for (const std::string& k : s.doc.Keys(s.Out(section))) {
    if (ProfileNamesEqual(k, TrimProfileSpace(wanted), s.doc.text())) return true;
  }
  return false;
}

std::vector<std::string> ProfileFile::Keys(std::string_view section) const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  std::vector<std::string> keys = s.doc.Keys(s.Out(section));
  for (std::string& k : keys) k = s.In(k);
  return keys;
}

std::vector<std::string> ProfileFile::Sections() const {
  std::unique_ptr<Snapshot> scratch;
  const Snapshot& s = View(scratch);
  std::vector<std::string> names = s.doc.SectionNames();
  for (std::string& n : names) n = s.In(n);
  return names;
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  Transaction tx(*this);
  Snapshot& s = *open_;
  s.doc.Set(s.Out(section), s.Out(key), s.Out(value));
  s.dirty = true;
  try {
    tx.Commit();
  } catch (const SettingsWriteError&) {
    throw SettingsWriteError(path_, section, key);
  }
}

void ProfileFile::DeleteKey(std::string_view section, std::string_view key) {
  Transaction tx(*this);
  Snapshot& s = *open_;
  if (s.doc.DeleteKey(s.Out(section), s.Out(key))) s.dirty = true;
  try {
    tx.Commit();
  } catch (const SettingsWriteError&) {
    throw SettingsWriteError(path_, section, key);
  }
}

void ProfileFile::EraseSection(std::string_view section) {
  Transaction tx(*this);
  Snapshot& s = *open_;
  if (s.doc.EraseSection(s.Out(section))) s.dirty = true;
  try {
    tx.Commit();
  } catch (const SettingsWriteError&) {
    throw SettingsWriteError(path_, section, "");
  }
}

}  // namespace volmaru::settings
