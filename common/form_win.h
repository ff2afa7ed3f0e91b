// Base of the program's secondary windows (meter, settings, version): a
// registered class named like the form, a window that lives from start-up to
// the end of the program (closing only hides it), and a window procedure
// that no error can escape.
#pragma once

#include <windows.h>

#include "common/handle_win.h"

namespace volmaru {

class Form {
 public:
  Form() = default;
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND hwnd() const { return window_.get(); }
  bool visible() const { return window_ && IsWindowVisible(window_.get()); }

 protected:
  // Registers the class (once) and creates the hidden window.
  bool CreateForm(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle,
                  HWND owner);
  // Messages of the form; the default hides the window on WM_CLOSE.
  virtual LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  UniqueWindow window_;
};

}  // namespace volmaru
