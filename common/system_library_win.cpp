#include "common/system_library_win.h"

#include <map>
#include <string>

namespace volmaru {

HMODULE SystemLibrary(const wchar_t* fileName) {
  // A critical section: the programs' thread model has no std::mutex.
  struct Lock {
    CRITICAL_SECTION section;
    Lock() { InitializeCriticalSection(&section); }
  };
  static Lock lock;
  static std::map<std::wstring, HMODULE> loaded;
  EnterCriticalSection(&lock.section);
  struct Leave {
    CRITICAL_SECTION* s;
    ~Leave() { LeaveCriticalSection(s); }
  } leave{&lock.section};
  const auto it = loaded.find(fileName);
  if (it != loaded.end()) return it->second;
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH];
  const UINT n = GetSystemDirectoryW(path, MAX_PATH);
  if (n > 0 && n < MAX_PATH - 32) {
    const std::wstring full = std::wstring(path, n) + L"\\" + fileName;
    // Kept for the life of the process: see the header.
    module = LoadLibraryW(full.c_str());
  }
  loaded.emplace(fileName, module);
  return module;
}

}  // namespace volmaru
