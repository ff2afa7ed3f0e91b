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

class WinFiles final : public FilePort {
 public:
  ReadResult ReadFile(const std::string& path) override {
    UniqueKernelHandle file = OpenForRead(Widen(path));
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
    if (MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0))) {
      return true;
    }
    DeleteFileW(tmp.c_str());
    return false;
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
