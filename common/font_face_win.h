// One font face for a window and the controls in it: each control's current
// font is made again with the new face (size, weight, style and character
// set stay), so a window designed in one face follows the system's UI face.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/handle_win.h"

namespace volmaru {

// The class name of the embossed label: it keeps the font it was given.
inline constexpr wchar_t kBevelLabelClass[] = L"TBevelLabel";

// `font` made again with `face` as its face name; empty when it cannot be.
UniqueFont FontWithFace(HFONT font, const std::wstring& face);

// The fonts made for one window's tree. They live as long as this object,
// which lives as long as the window (its controls use them).
class FaceFonts {
 public:
  // The window first, then its child controls in order, letting pending
  // messages run before each: a child with children of its own is treated
  // the same way, a child without gets its font replaced; a bevel label is
  // left alone. A control without a font of its own (WM_GETFONT gives none)
  // keeps the system font. Controls that shared a font share its
  // replacement.
  void Apply(HWND window, const std::wstring& face, const std::function<void()>& letMessagesRun);

 private:
  void Replace(HWND control, const std::wstring& face);
  void Walk(HWND parent, const std::wstring& face, const std::function<void()>& letMessagesRun);

  std::vector<UniqueFont> fonts_;
  std::map<HFONT, HFONT> replaced_;  // during one Apply: font -> its replacement
};

}  // namespace volmaru
