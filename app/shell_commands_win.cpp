#include "app/shell_commands_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/shell_links_win.h"
#include "common/handle_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"

namespace volmaru::app {

void SystemShell::ShowMessage(std::string_view text) { ShowMessageBox(mainWindow_, text, "ボルマル", MB_OK); }

std::string SystemShell::ExePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return Narrow(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

std::string SystemShell::StartupFolder() { return SpecialFolder(CSIDL_STARTUP); }

bool SystemShell::SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDir) {
  return app::SaveShortcut(linkPath, target, workingDir);
}

bool SystemShell::RemoveFile(const std::string& path) { return DeleteFileW(Widen(path).c_str()) != FALSE; }

std::string SystemShell::SystemFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH + 1);
  return n == 0 || n > MAX_PATH ? std::string() : Narrow(folder);
}

intptr_t OpenWithoutZoneCheck(HWND owner, const std::string& file, const std::string& parameters,
                              const std::string& folder) {
  const std::wstring wfile = Widen(file);
  const std::wstring wparams = Widen(parameters);
  const std::wstring wfolder = Widen(folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOZONECHECKS;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = wfile.c_str();
  info.lpParameters = wparams.empty() ? nullptr : wparams.c_str();
  info.lpDirectory = wfolder.empty() ? nullptr : wfolder.c_str();
  info.nShow = SW_SHOWNORMAL;
  const bool ok = ShellExecuteExW(&info) != FALSE;
  // The started program is not waited for; its process handle is let go.
  const UniqueKernelHandle process(info.hProcess);
  const auto result = reinterpret_cast<intptr_t>(info.hInstApp);
  if (ok) return result > 32 ? result : 33;
  return result >= 0 && result <= 32 ? result : 0;
}

bool SystemShell::StartProgram(const std::string& file, const std::string& parameters) {
  return OpenWithoutZoneCheck(mainWindow_, file, parameters, "") > 32;
}

intptr_t SystemShell::Open(bool ownedByMainWindow, const std::string& file, const std::string& parameters) {
  return OpenWithoutZoneCheck(ownedByMainWindow ? mainWindow_ : nullptr, file, parameters, "");
}

intptr_t SystemShell::AssociatedProgram(const std::string& document, std::string& program) {
  wchar_t found[MAX_PATH] = {};
  const auto result = reinterpret_cast<intptr_t>(FindExecutableW(Widen(document).c_str(), nullptr, found));
  program = Narrow(found);
  return result;
}

}  // namespace volmaru::app
