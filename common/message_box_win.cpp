#include "common/message_box_win.h"

#include <atomic>
#include <cwchar>

#include "common/handle_win.h"
#include "common/text_win.h"

namespace volmaru {
namespace {
std::atomic<bool> g_sessionEnding{false};

// The flags ask the system for a topmost box; this thread's activation of
// the box makes it topmost as well, for systems that leave the flag aside
// (Wine does).
LRESULT CALLBACK RaiseBox(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wp);
    wchar_t cls[8] = {};
    if (GetClassNameW(box, cls, 8) > 0 && std::wcscmp(cls, L"#32770") == 0) {
      SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
}  // namespace

void SetSessionEnding(bool ending) { g_sessionEnding = ending; }
bool SessionEnding() { return g_sessionEnding; }

int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type, int whileEnding) {
  if (g_sessionEnding) return whileEnding;
  const UniqueHook raise(SetWindowsHookExW(WH_CBT, RaiseBox, nullptr, GetCurrentThreadId()));
  return MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), type | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace volmaru
