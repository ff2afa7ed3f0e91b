#include "common/themed_button_win.h"

#include <string>

#include "common/handle_win.h"

namespace volmaru {
namespace {

// The theme functions, found at run time in the system's uxtheme.dll: a
// system without it (or with themes off) gets the classic frame.
using HTHEME_ = HANDLE;
struct ThemeApi {
  HTHEME_(WINAPI* open)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* close)(HTHEME_) = nullptr;
  HRESULT(WINAPI* background)(HTHEME_, HDC, int, int, const RECT*, const RECT*) = nullptr;
  HRESULT(WINAPI* content)(HTHEME_, HDC, int, int, const RECT*, RECT*) = nullptr;
  HRESULT(WINAPI* parentBackground)(HWND, HDC, const RECT*) = nullptr;
  BOOL(WINAPI* partlyTransparent)(HTHEME_, int, int) = nullptr;
  BOOL(WINAPI* appThemed)() = nullptr;
  bool ok = false;
};

template <typename F>
void Find(HMODULE module, const char* name, F& f) {
  f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const ThemeApi& Theme() {
  static const ThemeApi api = [] {
    ThemeApi a;
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH - 16) return a;
    // From the system folder only, and kept for the life of the process.
    static UniqueModule module(LoadLibraryW((std::wstring(path, n) + L"\\uxtheme.dll").c_str()));
    if (!module) return a;
    Find(module.get(), "OpenThemeData", a.open);
    Find(module.get(), "CloseThemeData", a.close);
    Find(module.get(), "DrawThemeBackground", a.background);
    Find(module.get(), "GetThemeBackgroundContentRect", a.content);
    Find(module.get(), "DrawThemeParentBackground", a.parentBackground);
    Find(module.get(), "IsThemeBackgroundPartiallyTransparent", a.partlyTransparent);
    Find(module.get(), "IsAppThemed", a.appThemed);
    a.ok = a.open && a.close && a.background && a.content && a.parentBackground && a.partlyTransparent && a.appThemed;
    return a;
  }();
  return api;
}

void CloseTheme(HTHEME_ theme) { Theme().close(theme); }
using UniqueTheme = UniqueHandle<HTHEME_, CloseTheme, HandleKind::kGdiObject>;

// The parts and states of a themed push button (vsstyle.h).
constexpr int kPushButton = 1;
constexpr int kStateNormal = 1, kStateHot = 2, kStatePressed = 3, kStateDisabled = 4, kStateDefaulted = 5;

}  // namespace

LRESULT DrawButtonWithTextColour(const NMCUSTOMDRAW& draw, COLORREF textColour) {
  if (draw.dwDrawStage != CDDS_PREPAINT) return CDRF_DODEFAULT;
  const HWND button = draw.hdr.hwndFrom;
  const HDC dc = draw.hdc;
  const UINT state = draw.uItemState;
  const bool disabled = (state & CDIS_DISABLED) != 0;
  const bool pressed = (state & CDIS_SELECTED) != 0;
  const bool hot = (state & CDIS_HOT) != 0;
  const bool focused = (state & CDIS_FOCUS) != 0;
  const bool isDefault = (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  RECT face = draw.rc;
  RECT content = face;
  const ThemeApi& api = Theme();
  UniqueTheme theme;
  if (api.ok && api.appThemed()) theme = UniqueTheme(api.open(button, L"BUTTON"));
  if (theme) {
    const int part = disabled                 ? kStateDisabled
                     : pressed                ? kStatePressed
                     : hot                    ? kStateHot
                     : (isDefault || focused) ? kStateDefaulted
                                              : kStateNormal;
    if (api.partlyTransparent(theme.get(), kPushButton, part)) api.parentBackground(button, dc, &face);
    api.background(theme.get(), dc, kPushButton, part, &face, nullptr);
    api.content(theme.get(), dc, kPushButton, part, &face, &content);
  } else {
    DrawFrameControl(dc, &face, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (disabled ? DFCS_INACTIVE : 0));
    InflateRect(&content, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    if (pressed) OffsetRect(&content, 1, 1);
  }

  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(button, text.data(), static_cast<int>(text.size()))));
  const LRESULT ui = SendMessageW(button, WM_QUERYUISTATE, 0, 0);
  UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (ui & UISF_HIDEACCEL) format |= DT_HIDEPREFIX;
  SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  if (disabled && !theme) {
    // The classic engraved look of a disabled caption.
    RECT light = content;
    OffsetRect(&light, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &light, format);
  }
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : textColour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &content, format);
  if (focused && !(ui & UISF_HIDEFOCUS)) {
    RECT focus = content;
    if (!theme) InflateRect(&focus, -1, -1);
    DrawFocusRect(dc, &focus);
  }
  return CDRF_SKIPDEFAULT;
}

}  // namespace volmaru
