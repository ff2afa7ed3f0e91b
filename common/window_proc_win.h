// The window procedure of a window that carries its object as the creation
// parameter: the object gets every message from WM_NCCREATE on, and no error
// leaves the procedure (it is dropped; the program keeps running).
#pragma once

#include <windows.h>

namespace volmaru {

template <class T>
LRESULT DispatchToObject(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                         LRESULT (T::*handle)(HWND, UINT, WPARAM, LPARAM)) noexcept {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
  }
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return (self->*handle)(hwnd, msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

}  // namespace volmaru
