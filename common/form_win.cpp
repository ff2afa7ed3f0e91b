#include "common/form_win.h"

#include "common/window_proc_win.h"

namespace volmaru {

bool EnsureWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return true;
  wc = WNDCLASSEXW{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

bool Form::CreateForm(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle,
                      HWND owner) {
  if (!EnsureWindowClass(instance, className, WndProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1))) return false;
  const HWND hwnd = CreateWindowExW(exStyle, className, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, owner, nullptr, instance, this);
  if (!hwnd) return false;
  window_ = UniqueWindow(hwnd);
  return true;
}

LRESULT Form::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    ShowWindow(hwnd, SW_HIDE);
    return 0;
  }
  if (msg == WM_NCDESTROY && window_.get() == hwnd) (void)window_.release();
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Form::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DispatchToObject(hwnd, msg, wp, lp, &Form::Handle);
}

}  // namespace volmaru
