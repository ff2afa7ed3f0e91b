#include "input/taskbars_win.h"

namespace volmaru::input {

Taskbars FindTaskbars() {
  Taskbars t;
  const auto add = [&t](HWND taskbar) {
    WINDOWINFO info{};
    info.cbSize = sizeof info;
    if (t.count < kMaxTaskbars && GetWindowInfo(taskbar, &info)) t.rects[t.count++] = info.rcWindow;
  };
  if (const HWND main = FindWindowW(L"Shell_TrayWnd", nullptr)) {
    t.mainExists = true;
    add(main);
  }
  for (HWND w = FindWindowExW(nullptr, nullptr, L"Shell_SecondaryTrayWnd", nullptr); w && t.count < kMaxTaskbars;
       w = FindWindowExW(nullptr, w, L"Shell_SecondaryTrayWnd", nullptr)) {
    if (IsWindowVisible(w)) add(w);
  }
  return t;
}

}  // namespace volmaru::input
