// Base of the program's secondary windows (meter, settings, version): a
// registered class named like the form, a window that lives from start-up to
// the end of the program (closing only hides it), and a window procedure
// that no error can escape.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/font_face_win.h"
#include "common/handle_win.h"

namespace volmaru {

// Registers the window class `name` of this module once (later calls find it
// registered); false when it can be neither found nor registered.
bool EnsureWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background = nullptr);

class Form {
 public:
  Form() = default;
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND hwnd() const { return window_.get(); }
  bool visible() const { return window_ && IsWindowVisible(window_.get()); }

  // Gives the window and its controls the font face `face` (the system's UI
  // face at start-up), keeping sizes, styles and colours. A form that draws
  // text itself also renames the fonts it draws with.
  virtual void SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) {
    faceFonts_.Apply(hwnd(), face, letMessagesRun);
  }

 protected:
  // Registers the class (once) and creates the hidden window.
  bool CreateForm(HINSTANCE instance, const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle,
                  HWND owner);
  // Messages of the form; the default hides the window on WM_CLOSE.
  virtual LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  // Declared first so that they outlive the window and its controls.
  FaceFonts faceFonts_;
  UniqueWindow window_;
};

}  // namespace volmaru
