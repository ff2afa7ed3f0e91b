#include "common/font_face_win.h"

#include <cwchar>

namespace volmaru {

UniqueFont FontWithFace(HFONT font, const std::wstring& face) {
  LOGFONTW lf{};
  if (!font || GetObjectW(font, sizeof lf, &lf) != sizeof lf) return {};
  wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return UniqueFont(CreateFontIndirectW(&lf));
}

void FaceFonts::Replace(HWND control, const std::wstring& face) {
  const auto current = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  if (!current) return;
  HFONT next = nullptr;
  if (const auto it = replaced_.find(current); it != replaced_.end()) {
    next = it->second;
  } else {
    UniqueFont made = FontWithFace(current, face);
    if (!made) return;
    next = made.get();
    replaced_[current] = next;
    fonts_.push_back(std::move(made));
  }
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
}

void FaceFonts::Walk(HWND parent, const std::wstring& face, const std::function<void()>& letMessagesRun) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (letMessagesRun) letMessagesRun();
    if (!IsWindow(child)) return;  // the window went away while messages ran
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (wcscmp(cls, kBevelLabelClass) == 0) continue;
    Replace(child, face);
    if (GetWindow(child, GW_CHILD)) Walk(child, face, letMessagesRun);
  }
}

void FaceFonts::Apply(HWND window, const std::wstring& face, const std::function<void()>& letMessagesRun) {
  if (!window || face.empty()) return;
  replaced_.clear();
  // The fonts of an earlier call go once every control has its new one.
  const std::vector<UniqueFont> earlier = std::move(fonts_);
  fonts_.clear();
  if (letMessagesRun) letMessagesRun();
  if (!IsWindow(window)) return;
  Replace(window, face);
  Walk(window, face, letMessagesRun);
}

}  // namespace volmaru
