// volmaru_driver.exe: a console helper the end-to-end scripts run beside the
// program, in the same Wine desktop, to look at it from the outside the way
// the shell or a user would: find its windows, read texts, post messages,
// probe its tray icon.
//
//   volmaru_driver [--desktop NAME] <command> [arguments]
//
// --desktop joins the Wine desktop NAME (created when missing) before the
// command runs, to look at a program started in a desktop of its own.
//
// Output is UTF-8, one record per line; window records are tab-separated
// key=value fields ending with the title:
//   hwnd=0x00010020<TAB>pid=32<TAB>visible=1<TAB>rect=0,1060,1920,1080<TAB>exe=explorer.exe<TAB>class=Shell_TrayWnd<TAB>title=
//
// Exit codes: 0 done / found / true, 1 not found / false / timed out,
// 2 bad command line, 3 a system call failed.

#include <windows.h>
#include <mmdeviceapi.h>
#include <mmsystem.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <psapi.h>

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
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

void WriteLine(const std::wstring& text) { Write(text + L"\n"); }

void WriteError(const std::wstring& text) {
  const std::wstring line = L"volmaru_driver: " + text + L"\n";
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), utf8.data(), n, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
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
  for (BOOL more = Process32FirstW(snap.get(), &entry); more; more = Process32NextW(snap.get(), &entry)) {
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
  if (!SendMessageTimeoutW(wnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                           &copied)) {
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
  return L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(wnd)) + L"\tpid=" + std::to_wstring(pid) + L"\tvisible=" +
         (IsWindowVisible(wnd) ? L"1" : L"0") + L"\trect=" + rect + L"\texe=" + BaseName(ExeOf(pid, processes)) +
         L"\tclass=" + ClassOf(wnd) + L"\ttitle=" + title;
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
  WriteLine(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) + L" " +
            std::to_wstring(r.bottom) + L" " + (IsWindowVisible(taskbar) ? L"1" : L"0"));
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

// "<pid> private=<bytes> working=<bytes> cpu=<ms>" for every process running
// <exe>: what the idle-cost measurement compares.
int ProcessCostCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  bool any = false;
  for (const Process& p : Processes()) {
    if (!SameName(BaseName(p.exe), argv[2])) continue;
    UniqueKernelHandle h(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, p.pid));
    if (!h) continue;
    PROCESS_MEMORY_COUNTERS_EX mem{};
    mem.cb = sizeof mem;
    GetProcessMemoryInfo(h.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem);
    FILETIME created, ended, kernel, user;
    GetProcessTimes(h.get(), &created, &ended, &kernel, &user);
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    WriteLine(std::to_wstring(p.pid) + L" private=" + std::to_wstring(mem.PrivateUsage) + L" working=" +
              std::to_wstring(mem.WorkingSetSize) + L" cpu=" + std::to_wstring((ticks(kernel) + ticks(user)) / 10000));
    any = true;
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

// A window given as a number ("0x0001002A") or as the class of a top-level
// window.
HWND WindowArg(const wchar_t* arg) {
  unsigned long value = 0;
  if (ParseNumber(arg, value)) {
    const HWND wnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(value));
    return IsWindow(wnd) ? wnd : nullptr;
  }
  return FindWindowW(arg, nullptr);
}

struct ChildList {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND wnd, LPARAM lp) {
  reinterpret_cast<ChildList*>(lp)->windows.push_back(wnd);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  ChildList list;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&list));
  return list.windows;
}

// Every descendant window of <window>, one record each.
int ChildrenCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const HWND parent = WindowArg(argv[2]);
  if (!parent) return kNo;
  const std::vector<Process> processes = Processes();
  for (HWND wnd : Descendants(parent)) WriteLine(Describe(wnd, processes));
  return kOk;
}

// The text of the first descendant of class <child-class> inside <window>
// (for example the edit text of a combo box).
int ChildTextCmd(int argc, wchar_t** argv) {
  if (argc != 4) return kUsage;
  const HWND parent = WindowArg(argv[2]);
  if (!parent) return kNo;
  for (HWND wnd : Descendants(parent)) {
    if (!SameName(ClassOf(wnd), argv[3])) continue;
    std::wstring text;
    if (!TextOf(wnd, text)) return kFailed;
    WriteLine(text);
    return kOk;
  }
  return kNo;
}

// Sets the text of the first descendant of class <child-class> inside
// <window> (WM_SETTEXT, as typing would leave it; the control reports the
// change to its parent).
int SetChildTextCmd(int argc, wchar_t** argv) {
  if (argc != 5) return kUsage;
  const HWND parent = WindowArg(argv[2]);
  if (!parent) return kNo;
  for (HWND wnd : Descendants(parent)) {
    if (!SameName(ClassOf(wnd), argv[3])) continue;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 2000, &result)) {
      return kFailed;
    }
    return result ? kOk : kFailed;
  }
  return kNo;
}

// The keyboard focus and the active window of the thread that owns
// <window>, as window records ("focus" first, then "active"); exit 1 when
// that thread has no focus window.
int FocusCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const HWND wnd = WindowArg(argv[2]);
  if (!wnd) return kNo;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(wnd, nullptr), &info)) return kFailed;
  const std::vector<Process> processes = Processes();
  WriteLine(info.hwndFocus ? Describe(info.hwndFocus, processes) : L"none");
  WriteLine(info.hwndActive ? Describe(info.hwndActive, processes) : L"none");
  return info.hwndFocus ? kOk : kNo;
}

// Whether <hwnd> takes input: prints 1 (exit 0) or 0 (exit 1).
int IsEnabledCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const HWND wnd = WindowArg(argv[2]);
  if (!wnd) return kFailed;
  const bool enabled = IsWindowEnabled(wnd) != FALSE;
  WriteLine(enabled ? L"1" : L"0");
  return enabled ? kOk : kNo;
}

// Waits for a visible tooltip window (class "tooltips_class32", such as the
// tray icon's tip of explorer) with a text, and prints the text with its
// line breaks written as "\n".
int TooltipTextCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 3 || !ParseNumber(argv[2], timeout)) return kUsage;
  std::wstring text;
  const bool found = PollUntil(timeout, [&] {
    for (HWND wnd = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); wnd;
         wnd = FindWindowExW(nullptr, wnd, L"tooltips_class32", nullptr)) {
      if (IsWindowVisible(wnd) && TextOf(wnd, text) && !text.empty()) return true;
    }
    return false;
  });
  if (!found) return kNo;
  std::wstring line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      line += L"\\n";
    } else {
      line += text[i];
    }
  }
  WriteLine(line);
  return kOk;
}

// Posts <msg> to <window>; <msg> is a number or the name of a registered
// window message ("TaskbarCreated").
int PostMessageCmd(int argc, wchar_t** argv) {
  unsigned long msg = 0, wp = 0, lp = 0;
  if (argc != 6 || !ParseNumber(argv[4], wp) || !ParseNumber(argv[5], lp)) return kUsage;
  if (!ParseNumber(argv[3], msg)) msg = RegisterWindowMessageW(argv[3]);
  if (msg == 0) return kFailed;
  const HWND wnd = WindowArg(argv[2]);
  if (!wnd) return kNo;
  return PostMessageW(wnd, msg, wp, static_cast<LPARAM>(lp)) ? kOk : kFailed;
}

// Waits until no visible window of class <class> exists.
int WaitWindowHiddenCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 4 || !ParseNumber(argv[3], timeout)) return kUsage;
  return PollUntil(timeout,
                   [&] {
                     const HWND wnd = FindWindowW(argv[2], nullptr);
                     return wnd == nullptr || !IsWindowVisible(wnd);
                   })
             ? kOk
             : kNo;
}

int ForegroundCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  const HWND wnd = GetForegroundWindow();
  if (!wnd) return kNo;
  WriteLine(Describe(wnd, Processes()));
  return kOk;
}

// Removes icon <uid> of the window of class <class> from the tray, the way
// a restarting shell loses it.
int TrayDeleteCmd(int argc, wchar_t** argv) {
  unsigned long uid = 0;
  if (argc != 4 || !ParseNumber(argv[3], uid)) return kUsage;
  const HWND owner = FindWindowW(argv[2], nullptr);
  if (!owner) return kNo;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner;
  data.uID = uid;
  return Shell_NotifyIconW(NIM_DELETE, &data) ? kOk : kFailed;
}

// The active playback endpoints as Core Audio lists them in this process:
// "<index>\t<id>\t<friendly name>\t<1 when the console default>".
int EndpointsCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  const volmaru::ComApartment com;
  volmaru::ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              enumerator.put_void()))) {
    return kFailed;
  }
  std::wstring defaultId;
  volmaru::ComPtr<IMMDevice> def;
  if (SUCCEEDED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, def.put()))) {
    volmaru::CoTaskMem<wchar_t> id;
    if (SUCCEEDED(def->GetId(id.put())) && id.get()) defaultId = id.get();
  }
  volmaru::ComPtr<IMMDeviceCollection> list;
  UINT count = 0;
  if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, list.put())) ||
      FAILED(list->GetCount(&count))) {
    return kFailed;
  }
  // PKEY_Device_FriendlyName
  constexpr PROPERTYKEY kName = {{0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};
  for (UINT i = 0; i < count; ++i) {
    volmaru::ComPtr<IMMDevice> device;
    volmaru::CoTaskMem<wchar_t> id;
    volmaru::ComPtr<IPropertyStore> store;
    volmaru::PropVariant name;
    if (FAILED(list->Item(i, device.put())) || FAILED(device->GetId(id.put())) || !id.get() ||
        FAILED(device->OpenPropertyStore(STGM_READ, store.put())) || FAILED(store->GetValue(kName, name.put()))) {
      return kFailed;
    }
    const std::wstring text = name.get().vt == VT_LPWSTR ? name.get().pwszVal : L"";
    WriteLine(std::to_wstring(i) + L"\t" + id.get() + L"\t" + text + L"\t" + (defaultId == id.get() ? L"1" : L"0"));
  }
  return kOk;
}

// The texts of the visible tooltip windows (tray tooltips and balloons), one
// per line, with their line breaks written as \r and \n.
BOOL CALLBACK CollectVisibleTooltips(HWND wnd, LPARAM lp) {
  if (IsWindowVisible(wnd) && ClassOf(wnd) == L"tooltips_class32") {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(wnd);
  }
  return TRUE;
}

int TooltipsCmd(int argc, wchar_t**) {
  if (argc != 2) return kUsage;
  std::vector<HWND> windows;
  EnumWindows(CollectVisibleTooltips, reinterpret_cast<LPARAM>(&windows));
  for (HWND wnd : windows) {
    std::wstring text, line;
    if (!TextOf(wnd, text)) continue;
    for (wchar_t c : text) line += c == L'\r' ? L"\\r" : c == L'\n' ? L"\\n" : std::wstring(1, c);
    WriteLine(line);
  }
  return windows.empty() ? kNo : kOk;
}

// Prints "ready", then watches for a visible window of class <class> and
// prints "shown <ms>" with the Unix time in milliseconds at which it was
// first seen (polled every millisecond), for timing from the outside.
int WatchWindowCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 4 || !ParseNumber(argv[3], timeout)) return kUsage;
  timeBeginPeriod(1);
  WriteLine(L"ready");
  const DWORD start = GetTickCount();
  for (;;) {
    const HWND wnd = FindWindowW(argv[2], nullptr);
    if (wnd && IsWindowVisible(wnd)) break;
    if (GetTickCount() - start >= timeout) {
      timeEndPeriod(1);
      return kNo;
    }
    Sleep(1);
  }
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  timeEndPeriod(1);
  const unsigned long long ticks = (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  // 100 ns units since 1601 to ms since 1970.
  WriteLine(L"shown " + std::to_wstring((ticks - 116444736000000000ULL) / 10000ULL));
  return kOk;
}

constexpr wchar_t kHelperClass[] = L"VolmaruE2EDriverWindow";
LONG g_wheelCount = 0;

LRESULT CALLBACK HelperProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_MOUSEWHEEL:
      ++g_wheelCount;
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(wnd, &ps);
      // Magenta: easy to find on a screenshot.
      const HBRUSH brush = CreateSolidBrush(RGB(255, 0, 255));
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(wnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(wnd, msg, wp, lp);
  }
}

HWND CreateHelperWindow(DWORD exStyle, DWORD style, int x, int y, int w, int h) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kHelperClass;
  RegisterClassExW(&wc);
  return CreateWindowExW(exStyle, kHelperClass, L"volmaru e2e", style, x, y, w, h, nullptr, nullptr, wc.hInstance,
                         nullptr);
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

// A topmost, active window at <x> <y> of size <w> <h> for <ms> ms that
// counts the WM_MOUSEWHEEL messages it gets. Prints "ready <hwnd>" once it
// is up (foreground or not), at the end "wheel=<count>".
int WheelWindowCmd(int argc, wchar_t** argv) {
  unsigned long x = 0, y = 0, w = 0, h = 0, ms = 0;
  if (argc != 7 || !ParseNumber(argv[2], x) || !ParseNumber(argv[3], y) || !ParseNumber(argv[4], w) ||
      !ParseNumber(argv[5], h) || !ParseNumber(argv[6], ms)) {
    return kUsage;
  }
  const HWND wnd = CreateHelperWindow(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, static_cast<int>(x),
                                      static_cast<int>(y), static_cast<int>(w), static_cast<int>(h));
  if (!wnd) return kFailed;
  ShowWindow(wnd, SW_SHOW);
  SetForegroundWindow(wnd);
  SetFocus(wnd);
  UpdateWindow(wnd);
  PumpFor(300);
  WriteLine(L"ready " + Hex(reinterpret_cast<UINT_PTR>(wnd)) + L" foreground=" +
            (GetForegroundWindow() == wnd ? L"1" : L"0"));
  PumpFor(ms);
  WriteLine(L"wheel=" + std::to_wstring(g_wheelCount));
  DestroyWindow(wnd);
  return kOk;
}

// A stand-in for the taskbar of a further monitor (Windows 8 and later give
// each one a window of class "Shell_SecondaryTrayWnd"): a visible window of
// that class at <x> <y> of size <w> <h> for <ms> ms, counting the wheel
// messages it gets. Prints "ready <hwnd>", at the end "wheel=<count>".
int TaskbarWindowCmd(int argc, wchar_t** argv) {
  unsigned long x = 0, y = 0, w = 0, h = 0, ms = 0;
  if (argc != 7 || !ParseNumber(argv[2], x) || !ParseNumber(argv[3], y) || !ParseNumber(argv[4], w) ||
      !ParseNumber(argv[5], h) || !ParseNumber(argv[6], ms)) {
    return kUsage;
  }
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
  wc.lpszClassName = L"Shell_SecondaryTrayWnd";
  RegisterClassExW(&wc);
  const HWND wnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_SecondaryTrayWnd", L"", WS_POPUP,
                                   static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h),
                                   nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return kFailed;
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  UpdateWindow(wnd);
  PumpFor(300);
  WriteLine(L"ready " + Hex(reinterpret_cast<UINT_PTR>(wnd)));
  PumpFor(ms);
  WriteLine(L"wheel=" + std::to_wstring(g_wheelCount));
  DestroyWindow(wnd);
  return kOk;
}

// Holds a tray icon of its own (uID 7 of a hidden window) for <ms> ms, then
// removes it: the warning icon, or the small-icon size picture of an .ico
// file (what a program that loads its icon at SM_CXSMICON shows). Prints
// "added" once the shell took it, or exits 3.
int TrayHoldCmd(int argc, wchar_t** argv) {
  unsigned long ms = 0;
  if (argc < 3 || argc > 4 || !ParseNumber(argv[2], ms)) return kUsage;
  HICON icon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING));
  if (argc == 4) {
    const int size = GetSystemMetrics(SM_CXSMICON);
    icon = static_cast<HICON>(LoadImageW(nullptr, argv[3], IMAGE_ICON, size, size, LR_LOADFROMFILE));
    if (!icon) {
      WriteError(L"cannot load the icon file " + std::wstring(argv[3]));
      return kFailed;
    }
  }
  const HWND wnd = CreateHelperWindow(WS_EX_TOOLWINDOW, WS_POPUP, 0, 0, 1, 1);
  if (!wnd) return kFailed;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = wnd;
  data.uID = 7;
  data.uFlags = NIF_ICON | NIF_TIP;
  data.hIcon = icon;
  wcscpy(data.szTip, L"volmaru e2e");
  if (!Shell_NotifyIconW(NIM_ADD, &data)) {
    DestroyWindow(wnd);
    return kFailed;
  }
  WriteLine(L"added");
  PumpFor(ms);
  Shell_NotifyIconW(NIM_DELETE, &data);
  DestroyWindow(wnd);
  return kOk;
}

HICON g_shownIcon = nullptr;

LRESULT CALLBACK IconProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(wnd, &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    DrawIcon(dc, 0, 0, g_shownIcon);
    EndPaint(wnd, &ps);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

// Shows a system icon (information, warning, error, question) at <x> <y>
// on the button face colour for <ms> ms: the reference picture of a message
// box icon. Prints "ready" once drawn.
int ShowIconCmd(int argc, wchar_t** argv) {
  unsigned long x = 0, y = 0, ms = 0;
  if (argc != 6 || !ParseNumber(argv[2], x) || !ParseNumber(argv[3], y) || !ParseNumber(argv[5], ms)) {
    return kUsage;
  }
  const std::wstring which = argv[4];
  LPCWSTR id = which == L"information" ? IDI_INFORMATION
               : which == L"warning"   ? IDI_WARNING
               : which == L"error"     ? IDI_ERROR
               : which == L"question"  ? IDI_QUESTION
                                       : nullptr;
  if (!id) return kUsage;
  g_shownIcon = LoadIconW(nullptr, id);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = IconProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VolmaruE2EIconWindow";
  RegisterClassExW(&wc);
  const int size = GetSystemMetrics(SM_CXICON);
  const HWND wnd =
      CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP,
                      static_cast<int>(x), static_cast<int>(y), size, size, nullptr, nullptr, wc.hInstance, nullptr);
  if (!wnd) return kFailed;
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  UpdateWindow(wnd);
  PumpFor(200);
  WriteLine(L"ready");
  PumpFor(ms);
  DestroyWindow(wnd);
  return kOk;
}

// The path of a special folder by CSIDL number (7 = the Startup folder).
int SpecialFolderCmd(int argc, wchar_t** argv) {
  unsigned long csidl = 0;
  if (argc != 3 || !ParseNumber(argv[2], csidl)) return kUsage;
  wchar_t path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, path, static_cast<int>(csidl), FALSE)) return kFailed;
  WriteLine(path);
  return kOk;
}

// Waits for a visible top-level window of <class> titled <title> (a
// message box of the program: class "#32770", its caption).
int WaitTitledCmd(int argc, wchar_t** argv) {
  unsigned long timeout = 0;
  if (argc != 5 || !ParseNumber(argv[4], timeout)) return kUsage;
  HWND found = nullptr;
  const bool ok = PollUntil(timeout, [&] {
    found = FindWindowW(argv[2], argv[3]);
    return found != nullptr && IsWindowVisible(found);
  });
  if (!ok) return kNo;
  WriteLine(Describe(found, Processes()));
  return kOk;
}

// Gives <window> the outer size <width> x <height>, as a user dragging its
// border would.
int SetWindowSizeCmd(int argc, wchar_t** argv) {
  unsigned long w = 0, h = 0;
  if (argc != 5 || !ParseNumber(argv[3], w) || !ParseNumber(argv[4], h)) return kUsage;
  const HWND wnd = WindowArg(argv[2]);
  if (!wnd) return kNo;
  return SetWindowPos(wnd, nullptr, 0, 0, static_cast<int>(w), static_cast<int>(h),
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
             ? kOk
             : kFailed;
}

// GetSystemMetrics(<index>), e.g. 49 = SM_CXSMICON.
int SystemMetricCmd(int argc, wchar_t** argv) {
  unsigned long index = 0;
  if (argc != 3 || !ParseNumber(argv[2], index)) return kUsage;
  WriteLine(std::to_wstring(GetSystemMetrics(static_cast<int>(index))));
  return kOk;
}

// --- controls of another process's window -------------------------------------

// The descendant of <window> with control id <id>.
HWND ControlArg(const wchar_t* window, const wchar_t* id) {
  unsigned long value = 0;
  const HWND top = WindowArg(window);
  if (!top || !ParseNumber(id, value)) return nullptr;
  for (HWND wnd : Descendants(top)) {
    if (static_cast<unsigned long>(GetDlgCtrlID(wnd)) == value) return wnd;
  }
  return nullptr;
}

// "hwnd=… visible=… enabled=… checked=… rect=… class=… text=…" of a control.
int CtlCmd(int argc, wchar_t** argv) {
  if (argc != 4) return kUsage;
  const HWND wnd = ControlArg(argv[2], argv[3]);
  if (!wnd) return kNo;
  RECT r{};
  GetWindowRect(wnd, &r);
  std::wstring text;
  TextOf(wnd, text);
  DWORD_PTR checked = 0;
  if (SameName(ClassOf(wnd), L"Button")) {
    SendMessageTimeoutW(wnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &checked);
  }
  wchar_t rect[80];
  swprintf(rect, 80, L"%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
  WriteLine(L"hwnd=" + Hex(reinterpret_cast<UINT_PTR>(wnd)) + L"\tvisible=" + (IsWindowVisible(wnd) ? L"1" : L"0") +
            L"\tenabled=" + (IsWindowEnabled(wnd) ? L"1" : L"0") + L"\tchecked=" + std::to_wstring(checked) +
            L"\trect=" + rect + L"\tclass=" + ClassOf(wnd) + L"\ttext=" + text);
  return kOk;
}

int CtlTextCmd(int argc, wchar_t** argv) {
  if (argc != 4) return kUsage;
  const HWND wnd = ControlArg(argv[2], argv[3]);
  if (!wnd) return kNo;
  std::wstring text;
  if (!TextOf(wnd, text)) return kFailed;
  WriteLine(text);
  return kOk;
}

// Sets the text of an edit field as typing would (its owner is told of the
// change).
int CtlSetTextCmd(int argc, wchar_t** argv) {
  if (argc != 5) return kUsage;
  const HWND wnd = ControlArg(argv[2], argv[3]);
  if (!wnd) return kNo;
  DWORD_PTR done = 0;
  return SendMessageTimeoutW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG, 2000, &done)
             ? kOk
             : kFailed;
}

// Clicks a button (posted: a click that opens a message box returns at once).
int CtlClickCmd(int argc, wchar_t** argv) {
  if (argc != 4) return kUsage;
  const HWND wnd = ControlArg(argv[2], argv[3]);
  if (!wnd) return kNo;
  return PostMessageW(wnd, BM_CLICK, 0, 0) ? kOk : kFailed;
}

// Selects entry <index> of a drop-down list and tells its owner, as a choice
// with the keyboard would.
int CtlSelectCmd(int argc, wchar_t** argv) {
  unsigned long index = 0;
  if (argc != 5 || !ParseNumber(argv[4], index)) return kUsage;
  const HWND wnd = ControlArg(argv[2], argv[3]);
  if (!wnd) return kNo;
  DWORD_PTR done = 0;
  SendMessageTimeoutW(wnd, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 2000, &done);
  const WPARAM wp = MAKEWPARAM(GetDlgCtrlID(wnd), CBN_SELCHANGE);
  return PostMessageW(GetParent(wnd), WM_COMMAND, wp, reinterpret_cast<LPARAM>(wnd)) ? kOk : kFailed;
}

// Turns page <index> of the first tab control inside <window> to the front,
// as a click on its tab would.
int TabSelectCmd(int argc, wchar_t** argv) {
  unsigned long index = 0;
  if (argc != 4 || !ParseNumber(argv[3], index)) return kUsage;
  const HWND top = WindowArg(argv[2]);
  if (!top) return kNo;
  for (HWND wnd : Descendants(top)) {
    if (!SameName(ClassOf(wnd), WC_TABCONTROLW)) continue;
    DWORD_PTR done = 0;
    return SendMessageTimeoutW(wnd, TCM_SETCURFOCUS, index, 0, SMTO_ABORTIFHUNG, 2000, &done) ? kOk : kFailed;
  }
  return kNo;
}

// The visible message boxes (#32770) of the processes running <exe>: one line
// each, its title and then its texts, separated by tabs ("topmost" last
// when the box floats above other programs).
std::vector<HWND> MessageBoxesOf(const wchar_t* exe) {
  std::vector<DWORD> pids;
  for (const Process& p : Processes()) {
    if (SameName(BaseName(p.exe), exe)) pids.push_back(p.pid);
  }
  WindowsOf ctx{&pids, {}};
  EnumWindows(CollectWindowsOf, reinterpret_cast<LPARAM>(&ctx));
  std::vector<HWND> out;
  for (HWND wnd : ctx.windows) {
    if (IsWindowVisible(wnd) && ClassOf(wnd) == L"#32770") out.push_back(wnd);
  }
  return out;
}

int MsgBoxCmd(int argc, wchar_t** argv) {
  if (argc != 3) return kUsage;
  const std::vector<HWND> boxes = MessageBoxesOf(argv[2]);
  for (HWND box : boxes) {
    std::wstring line;
    TextOf(box, line);
    for (HWND child : Descendants(box)) {
      if (!SameName(ClassOf(child), L"Static")) continue;
      std::wstring text;
      if (TextOf(child, text) && !text.empty()) line += L"\t" + text;
    }
    if (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) line += L"\ttopmost";
    WriteLine(line);
  }
  return boxes.empty() ? kNo : kOk;
}

// Clicks the button whose caption starts with <caption> in a visible
// message box of <exe>.
int MsgBoxClickCmd(int argc, wchar_t** argv) {
  if (argc != 4) return kUsage;
  const std::wstring want = argv[3];
  for (HWND box : MessageBoxesOf(argv[2])) {
    for (HWND child : Descendants(box)) {
      std::wstring text;
      if (!SameName(ClassOf(child), L"Button") || !TextOf(child, text)) continue;
      if (text.compare(0, want.size(), want) == 0) return PostMessageW(child, BM_CLICK, 0, 0) ? kOk : kFailed;
    }
  }
  return kNo;
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
    {L"process-cost", ProcessCostCmd, L"process-cost <exe-name>"},
    {L"children", ChildrenCmd, L"children <hwnd|class>"},
    {L"child-text", ChildTextCmd, L"child-text <hwnd|class> <child-class>"},
    {L"set-child-text", SetChildTextCmd, L"set-child-text <hwnd|class> <child-class> <text>"},
    {L"is-enabled", IsEnabledCmd, L"is-enabled <hwnd>"},
    {L"focus", FocusCmd, L"focus <hwnd|class>"},
    {L"tooltip-text", TooltipTextCmd, L"tooltip-text <timeout-ms>"},
    {L"post-message", PostMessageCmd, L"post-message <hwnd|class> <msg|registered-name> <wparam> <lparam>"},
    {L"wait-window-hidden", WaitWindowHiddenCmd, L"wait-window-hidden <class> <timeout-ms>"},
    {L"foreground", ForegroundCmd, L"foreground"},
    {L"tray-delete", TrayDeleteCmd, L"tray-delete <owner-class> <uid>"},
    {L"wheel-window", WheelWindowCmd, L"wheel-window <x> <y> <width> <height> <ms>"},
    {L"taskbar-window", TaskbarWindowCmd, L"taskbar-window <x> <y> <width> <height> <ms>"},
    {L"tray-hold", TrayHoldCmd, L"tray-hold <ms> [icon-file]"},
    {L"system-metric", SystemMetricCmd, L"system-metric <index>"},
    {L"show-icon", ShowIconCmd, L"show-icon <x> <y> <information|warning|error|question> <ms>"},
    {L"special-folder", SpecialFolderCmd, L"special-folder <csidl>"},
    {L"wait-titled", WaitTitledCmd, L"wait-titled <class> <title> <timeout-ms>"},
    {L"set-window-size", SetWindowSizeCmd, L"set-window-size <hwnd|class> <width> <height>"},
    {L"endpoints", EndpointsCmd, L"endpoints"},
    {L"tooltips", TooltipsCmd, L"tooltips"},
    {L"watch-window", WatchWindowCmd, L"watch-window <class> <timeout-ms>"},
    {L"ctl", CtlCmd, L"ctl <hwnd|class> <control-id>"},
    {L"ctl-text", CtlTextCmd, L"ctl-text <hwnd|class> <control-id>"},
    {L"ctl-set-text", CtlSetTextCmd, L"ctl-set-text <hwnd|class> <control-id> <text>"},
    {L"ctl-click", CtlClickCmd, L"ctl-click <hwnd|class> <control-id>"},
    {L"ctl-select", CtlSelectCmd, L"ctl-select <hwnd|class> <control-id> <index>"},
    {L"tab-select", TabSelectCmd, L"tab-select <hwnd|class> <index>"},
    {L"msgbox", MsgBoxCmd, L"msgbox <exe-name>"},
    {L"msgbox-click", MsgBoxClickCmd, L"msgbox-click <exe-name> <caption-start>"},
};

int Usage() {
  std::wstring text = L"usage:";
  for (const Command& c : kCommands) text += L"\n  volmaru_driver " + std::wstring(c.usage);
  WriteError(text);
  return kUsage;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wstring(argv[1]) == L"--desktop") {
    // Before the thread owns any window.
    HDESK desk = CreateDesktopW(argv[2], nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desk || !SetThreadDesktop(desk)) {
      WriteError(L"cannot join the desktop " + std::wstring(argv[2]));
      return kFailed;
    }
    argv += 2;
    argc -= 2;
  }
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
