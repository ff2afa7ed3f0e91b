#include <windows.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/file_port.h"

namespace volmaru::settings {
namespace {

UniqueKernelHandle OpenForRead(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueKernelHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// Another process may hold the file for a moment (a virus scanner, a sync
// client, an editor saving): such failures are tried again briefly.
bool Transient(DWORD err) {
  return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION || err == ERROR_ACCESS_DENIED ||
         err == ERROR_UNABLE_TO_REMOVE_REPLACED || err == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}
constexpr int kPlaceAttempts = 8;
constexpr DWORD kPlaceBackoffMs = 25;
// A file that is made again at the next change (the rendered tray icon,
// written at every volume step on the GUI thread) waits at most this long
// for a holder to let go, and is skipped when it is held: a sync client or
// the search indexer holding it must not stall the volume keys.
constexpr int kDisposableAttempts = 2;
constexpr DWORD kDisposableBackoffMs = 2;

// The temporary file takes the target's place. An existing target is
// replaced the platform's way, so that its attributes, permissions and
// creation time survive; a new one is simply renamed into place.
bool PutInPlace(const std::wstring& tmp, const std::wstring& target, bool durable) {
  for (int attempt = 0;; ++attempt) {
    bool ok;
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
      ok = ReplaceFileW(target.c_str(), tmp.c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
      // The old file was moved away but the new one not yet into place:
      // a plain rename finishes the job.
      if (!ok && GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        ok = MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
      }
      // Not every implementation carries the attributes over (Wine's does
      // not): they are set again.
      if (ok && GetFileAttributesW(target.c_str()) != attrs) SetFileAttributesW(target.c_str(), attrs);
    } else {
      ok = MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0));
    }
    if (ok) return true;
    if (attempt + 1 >= (durable ? kPlaceAttempts : kDisposableAttempts) || !Transient(GetLastError())) return false;
    Sleep(durable ? kPlaceBackoffMs * static_cast<DWORD>(attempt + 1) : kDisposableBackoffMs);
  }
}

class WinFiles final : public FilePort {
 public:
  ReadResult ReadFile(const std::string& path) override {
    const std::wstring wide = Widen(path);
    UniqueKernelHandle file = OpenForRead(wide);
    // Held by another process for a moment: asked again briefly, since a
    // file that cannot be read must not be written either.
    for (int attempt = 1;
         !file && attempt < kPlaceAttempts && Transient(GetLastError()) && GetLastError() != ERROR_ACCESS_DENIED;
         ++attempt) {
      Sleep(kPlaceBackoffMs * static_cast<DWORD>(attempt));
      file = OpenForRead(wide);
    }
    if (!file) {
      const DWORD err = GetLastError();
      const bool missing = err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
      return {missing ? ReadResult::kMissing : ReadResult::kError, {}};
    }
    std::string bytes;
    char buf[16384];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(file.get(), buf, sizeof buf, &got, nullptr)) return {ReadResult::kError, {}};
      if (got == 0) break;
      bytes.append(buf, got);
    }
    return {ReadResult::kOk, std::move(bytes)};
  }

  bool ReplaceFile(const std::string& path, std::string_view bytes, bool durable = true) override {
    const std::wstring target = Widen(path);
    const DWORD attrs = GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY)) return false;
    // A name of our own beside the file, so that the rename stays on one
    // volume and is atomic.
    const std::wstring tmp = target + L".new" + std::to_wstring(GetCurrentProcessId());
    {
      HANDLE h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      UniqueKernelHandle file(h == INVALID_HANDLE_VALUE ? nullptr : h);
      if (!file) return false;
      bool ok = true;
      while (ok && !bytes.empty()) {
        DWORD put = 0;
        const DWORD chunk = static_cast<DWORD>(bytes.size() > 1u << 20 ? 1u << 20 : bytes.size());
        ok = ::WriteFile(file.get(), bytes.data(), chunk, &put, nullptr) && put == chunk;
        bytes.remove_prefix(put);
      }
      ok = ok && (!durable || FlushFileBuffers(file.get()));
      if (!ok) {
        file.reset();
        DeleteFileW(tmp.c_str());
        return false;
      }
    }
    if (PutInPlace(tmp, target, durable)) return true;
    DeleteFileW(tmp.c_str());
    return false;
  }

  void RemoveLeftoverTemporaries(const std::string& path) override {
    const std::wstring pattern = Widen(path) + L".new*";
    const std::wstring target = Widen(path);
    const std::wstring dir = target.substr(0, target.find_last_of(L"\\/") + 1);
    WIN32_FIND_DATAW found;
    const HANDLE first = FindFirstFileW(pattern.c_str(), &found);
    const UniqueFindHandle find(first == INVALID_HANDLE_VALUE ? nullptr : first);
    if (!find) return;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((dir + found.cFileName).c_str());
    } while (FindNextFileW(find.get(), &found));
  }

  bool DirectoryExists(const std::string& path) override {
    const DWORD attrs = GetFileAttributesW(Widen(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool CreateDirectories(const std::string& path) override {
    if (path.empty()) return false;
    if (DirectoryExists(path)) return true;
    const size_t slash = path.find_last_of("\\/");
    if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':') {
      CreateDirectories(path.substr(0, slash));
    }
    return CreateDirectoryW(Widen(path).c_str(), nullptr) || DirectoryExists(path);
  }
};

}  // namespace

FilePort& SystemFiles() {
  static WinFiles files;
  return files;
}

}  // namespace volmaru::settings
