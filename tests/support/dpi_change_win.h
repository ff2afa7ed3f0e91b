// What the window tests of a change of DPI share: the message Windows
// sends and the size of a control's font.
#pragma once

#include <windows.h>

namespace volmaru::testing {

// What a DPI change delivers: the new DPI in both words and the rectangle
// Windows suggests, the window's own scaled about its top left corner.
inline RECT SendDpiChanged(HWND window, int from, int to) {
  RECT r;
  GetWindowRect(window, &r);
  RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, to, from),
                 r.top + MulDiv(r.bottom - r.top, to, from)};
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
  return suggested;
}

// The height a control's font was made with (negative: the character
// height in pixels).
inline int FontPixels(HWND control) {
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf.lfHeight;
}

}  // namespace volmaru::testing
