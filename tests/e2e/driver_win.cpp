// volmaru_driver.exe: a console helper the end-to-end scripts run beside the
// program, in the same Wine desktop, to look at it from the outside the way
// the shell or a user would: find its windows, read texts, post messages,
// probe its tray icon.
//
//   volmaru_driver <command> [arguments]
//
// Output is UTF-8, one record per line; window records are tab-separated
// key=value fields ending with the title:
//   hwnd=0x00010020<TAB>pid=32<TAB>visible=1<TAB>rect=0,1060,1920,1080<TAB>exe=explorer.exe<TAB>class=Shell_TrayWnd<TAB>title=
//
// Exit codes: 0 done / found / true, 1 not found / false / timed out,
// 2 bad command line, 3 a system call failed.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/handle_win.h"

namespace {

using volmaru::UniqueKernelHandle;

constexpr int kOk = 0;
constexpr int kNo = 1;
constexpr int kUsage = 2;
constexpr int kFailed = 3;

void Write(const std::wstring& text) {
  if (text.empty()) return;
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
            &written, nullptr);
}

void WriteLine(const std::wstring& text) { Write(text + L"\n"); }

void WriteError(const std::wstring& text) {
  const std::wstring line = L"volmaru_driver: " + text + L"\n";
  const int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), n,
                      nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
            &written, nullptr);
}

std::wstring Hex(UINT_PTR value) {
  wchar_t buf[32];
  swprintf(buf, 32, L"0x%08lX", static_cast<unsigned long>(value));
  return buf;
}

bool ParseNumber(const wchar_t* text, unsigned long& out) {
  wchar_t* end = nullptr;
  out = wcstoul(text, &end, 0);
  return end != text && *end == L'\0';
}

struct Process {
  DWORD pid;
  std::wstring exe;
};

std::vector<Process> Processes() {
  std::vector<Process> out;
  HANDLE raw = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (raw == INVALID_HANDLE_VALUE) return out;
  const UniqueKernelHandle snap(raw);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snap.get(), &entry); more;
       more = Process32NextW(snap.get(), &entry)) {
    out.push_back({entry.th32ProcessID, entry.szExeFile});
  }
  return out;
}

std::wstring ExeOf(DWORD pid, const std::vector<Process>& processes) {
  for (const Process& p : processes) {
    if (p.pid == pid) return p.exe;
  }
  return L"?";
}

// The base name of a path ("C:\windows\explorer.exe" -> "explorer.exe"):
// Wine's process list sometimes carries full paths.
std::wstring BaseName(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ClassOf(HWND wnd) {
  wchar_t buf[256] = {};
  GetClassNameW(wnd, buf, 256);
  return buf;
}

// The text of any window, also one of another process (WM_GETTEXT, with a
// time-out so a hung owner cannot hang the driver).
bool TextOf(HWND wnd, std::wstring& out) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) {
    return false;
  }
  std::wstring buf(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return false;
  }
  buf.resize(copied);
  out = buf;
  return true;
}

std::wstring Describe(HWND wnd, const std::vector<Process>& processes) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  RECT r{};
  GetWindowRect(wnd, &r);
  std::wstring title;
  TextOf(wnd, title);
  wchar_t rect[80];
  swprintf(rect, 80, L"%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  return L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(wnd)) + L"\tpid=" + std::to_wstring(pid) +
         L"\tvisible=" + (IsWindowVisible(wnd) ? L"1" : L"0") + L"\trect=" + rect + L"\texe=" +
         BaseName(ExeOf(pid, processes)) + L"\tclass=" + ClassOf(wnd) + L"\ttitle=" + title;
}

// Waits by polling: the windows belong to other processes, there is nothing
// to wait on.
template <typename Pred>
bool PollUntil(DWORD timeoutMs, Pred pred) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

int FindWindowCmd(int argc, wchar_t** argv) {
  if (argc < 3 || argc > 4) return kUsage;
  const HWND wnd = FindWindowW(argv[2], argc == 4 ? argv[3] : nullptr);
  if (!wnd) return kNo;
  WriteLine(Describe(wnd, Processes()));
  return kOk;
}

int WaitWindowCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc < 4 || argc > 5 || !ParseNumber(argv[3], timeout)) return kUsage;
  const bool needVisible = argc == 5 && std::wstring(argv[4]) == L"visible";
  if (argc == 5 && !needVisible) return kUsage;
  HWND found = nullptr;
  const bool ok = PollUntil(timeout, [&] {
    found = FindWindowW(argv[2], nullptr);
    return found != nullptr && (!needVisible || IsWindowVisible(found));
  });
  if (!ok) return kNo;
  WriteLine(Describe(found, Processes()));
  return kOk;
}

int WaitNoWindowCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 4 || !ParseNumber(argv[3], timeout)) return kUsage;
  return PollUntil(timeout, [&] { return FindWindowW(argv[2], nullptr) == nullptr; }) ? kOk : kNo;
}

int WindowTextCmd(int argc, wchar_t** argv) {
  unsigned long value = 0;
  if (argc != 3 || !ParseNumber(argv[2], value)) return kUsage;
  const HWND wnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
  if (!IsWindow(wnd)) return kNo;
  std::wstring text;
  if (!TextOf(wnd, text)) return kFailed;
  WriteLine(text);
  return kOk;
}

int PostCloseCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const HWND wnd = FindWindowW(argv[2], nullptr);
  if (!wnd) return kNo;
  return PostMessageW(wnd, WM_CLOSE, 0, 0) ? kOk : kFailed;
}

struct WindowsOf {
  const std::vector<DWORD>* pids;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowsOf(HWND wnd, LPARAM lp) {
  auto* ctx = reinterpret_cast<WindowsOf*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(wnd, &owner);
  for (DWORD id : *ctx->pids) {
    if (id == owner) ctx->windows.push_back(wnd);
  }
  return TRUE;
}

// Top-level windows of one process, given by id or by executable name.
int ListWindowsCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const std::vector<Process> processes = Processes();
  std::vector<DWORD> pids;
  unsigned long pid = 0;
  if (ParseNumber(argv[2], pid)) {
    pids.push_back(pid);
  } else {
    for (const Process& p : processes) {
      if (SameName(BaseName(p.exe), argv[2])) pids.push_back(p.pid);
    }
  }
  bool processFound = false;
  for (DWORD id : pids) {
    for (const Process& p : processes) processFound = processFound || p.pid == id;
  }
  if (!processFound) {
    WriteError(L"no such process: " + std::wstring(argv[2]));
    return kNo;
  }
  WindowsOf ctx{&pids, {}};
  EnumWindows(CollectWindowsOf, reinterpret_cast<LPARAM>(&ctx));
  for (HWND wnd : ctx.windows) WriteLine(Describe(wnd, processes));
  return kOk;
}

// "LEFT TOP RIGHT BOTTOM VISIBLE" of the taskbar.
int TrayRectCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!taskbar) return kNo;
  RECT r{};
  if (!GetWindowRect(taskbar, &r)) return kFailed;
  WriteLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " +
            std::to_wstring(r.right) + L" " + std::to_wstring(r.bottom) + L" " +
            (IsWindowVisible(taskbar) ? L"1" : L"0"));
  return kOk;
}

// Whether the tray holds icon <uid> of the window of class <class>. A
// modification that changes nothing succeeds only for an icon that exists.
int TrayIconCmd(int argc, wchar_t** argv) {
  unsigned long uid = 0;
  if (argc != 4 || !ParseNumber(argv[3], uid)) return kUsage;
  const HWND owner = FindWindowW(argv[2], nullptr);
  if (!owner) {
    WriteLine(L"absent");
    return kNo;
  }
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner;
  data.uID = uid;
  data.uFlags = 0;
  const bool present = Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
  WriteLine(present ? L"present" : L"absent");
  return present ? kOk : kNo;
}

int AcpCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  WriteLine(std::to_wstring(GetACP()));
  return kOk;
}

int DocumentsFolderCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE)) return kFailed;
  WriteLine(path);
  return kOk;
}

// Process ids running <exe>, one a line.
int ProcessExistsCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  bool any = false;
  for (const Process& p : Processes()) {
    if (SameName(BaseName(p.exe), argv[2])) {
      WriteLine(std::to_wstring(p.pid));
      any = true;
    }
  }
  return any ? kOk : kNo;
}

int WaitProcessExitCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 4 || !ParseNumber(argv[3], timeout)) return kUsage;
  return PollUntil(timeout,
                   [&] {
                     for (const Process& p : Processes()) {
                       if (SameName(BaseName(p.exe), argv[2])) return false;
                     }
                     return true;
                   })
             ? kOk
             : kNo;
}

struct Command {
  const wchar_t* name;
  int (*run)(int, wchar_t**);
  const wchar_t* usage;
};

constexpr Command kCommands[] = {
    {L"find-window", FindWindowCmd, L"find-window <class> [title]"},
    {L"wait-window", WaitWindowCmd, L"wait-window <class> <timeout-ms> [visible]"},
    {L"wait-no-window", WaitNoWindowCmd, L"wait-no-window <class> <timeout-ms>"},
    {L"window-text", WindowTextCmd, L"window-text <hwnd>"},
    {L"post-close", PostCloseCmd, L"post-close <class>"},
    {L"list-windows", ListWindowsCmd, L"list-windows <pid|exe-name>"},
    {L"tray-rect", TrayRectCmd, L"tray-rect"},
    {L"tray-icon", TrayIconCmd, L"tray-icon <owner-class> <uid>"},
    {L"acp", AcpCmd, L"acp"},
    {L"documents-folder", DocumentsFolderCmd, L"documents-folder"},
    {L"process-exists", ProcessExistsCmd, L"process-exists <exe-name>"},
    {L"wait-process-exit", WaitProcessExitCmd, L"wait-process-exit <exe-name> <timeout-ms>"},
};

int Usage() {
  std::wstring text = L"usage:";
  for (const Command& c : kCommands) text += L"\n  volmaru_driver " + std::wstring(c.usage);
  WriteError(text);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  for (const Command& c : kCommands) {
    if (std::wstring(argv[1]) == c.name) {
      const int rc = c.run(argc, argv);
      if (rc == kUsage) WriteError(L"usage: volmaru_driver " + std::wstring(c.usage));
      return rc;
    }
  }
  return Usage();
}
