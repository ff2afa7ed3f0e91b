// The taskbars on screen: "Shell_TrayWnd" on the main monitor and, from
// Windows 8 on, one "Shell_SecondaryTrayWnd" on every further monitor (there
// can be several). The wheel and the middle click count over any of them.
#pragma once

#include <windows.h>

namespace volmaru::input {

inline constexpr int kMaxTaskbars = 8;

struct Taskbars {
  bool mainExists = false;  // a window of class "Shell_TrayWnd" exists
  int count = 0;            // rectangles: the main taskbar's first
  RECT rects[kMaxTaskbars]{};
};

// The main taskbar's window rectangle when it exists (as the wheel and the
// middle click always took it), then each visible secondary taskbar's: a
// hidden one has no rectangle on screen.
Taskbars FindTaskbars();

}  // namespace volmaru::input
