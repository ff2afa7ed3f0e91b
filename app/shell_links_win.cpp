#include "app/shell_links_win.h"

#include <windows.h>
#include <shlobj.h>

#include "common/handle_win.h"
#include "common/text_win.h"

namespace volmaru::app {

std::string SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return {};
  return Narrow(path);
}

std::vector<FolderEntry> ListFolderEntries(const std::string& folder) {
  std::vector<FolderEntry> entries;
  std::wstring pattern = Widen(folder);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L"*.*";
  WIN32_FIND_DATAW fd;
  HANDLE first = FindFirstFileW(pattern.c_str(), &fd);
  UniqueFindHandle find(first == INVALID_HANDLE_VALUE ? nullptr : first);
  if (!find) return entries;
  do {
    entries.push_back({Narrow(fd.cFileName), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                       (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0});
  } while (FindNextFileW(find.get(), &fd));
  return entries;
}

std::string ResolveShortcutTarget(const std::string& linkPath) {
  if (linkPath.empty()) return {};
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))) {
    return {};
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return {};
  if (FAILED(file->Load(Widen(linkPath).c_str(), STGM_READ))) return {};
  wchar_t target[MAX_PATH] = {};
  if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return {};
  return Narrow(target);
}

bool SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDir) {
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void()))) {
    return false;
  }
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  if (FAILED(link->SetPath(Widen(target).c_str()))) return false;
  if (FAILED(link->SetWorkingDirectory(Widen(workingDir).c_str()))) return false;
  return file->Save(Widen(linkPath).c_str(), FALSE) == S_OK;
}

}  // namespace volmaru::app
