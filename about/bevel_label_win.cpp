#include "about/bevel_label_win.h"

#include <cwchar>

#include "common/font_face_win.h"
#include "common/form_win.h"
#include "common/window_proc_win.h"
#include "common/text_win.h"

namespace volmaru::about {

namespace {

constexpr UINT kLabelTextFormat = DT_LEFT | DT_TOP | DT_EXPANDTABS;

}  // namespace

UniqueFont MakeLabelFont(const wchar_t* face, int pixels, bool bold, bool italic) {
  LOGFONTW lf{};
  lf.lfHeight = -pixels;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic ? TRUE : FALSE;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&lf));
}

void PaintBevelLabel(HDC dc, const TBevelLabel& label, HFONT font, const RECT& client,
                     std::optional<COLORREF> background) {
  if (background) {
    UniqueGdiObject brush(CreateSolidBrush(*background));
    FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
  }
  const std::wstring caption = Widen(label.Caption());
  const std::wstring stripped = Widen(StripFirstAmpersand(label.Caption()));
  SelectGuard select(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = GetTextColor(dc);
  DisabledColours system;
  system.highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  system.shadow = GetSysColor(COLOR_BTNSHADOW);
  system.grayText = GetSysColor(COLOR_GRAYTEXT);
  for (const TextPass& pass : label.Passes(system)) {
    SetTextColor(dc, pass.colour);
    if (pass.plain) {
      RECT r = client;
      OffsetRect(&r, pass.dx, pass.dy);
      DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, kLabelTextFormat);
    } else {
      TextOutW(dc, client.left + pass.dx, client.top + pass.dy, stripped.c_str(), static_cast<int>(stripped.size()));
    }
  }
  SetTextColor(dc, oldColour);
  SetBkMode(dc, oldMode);
}

SIZE LabelTextSize(HFONT font, const std::wstring& caption) {
  UniqueDc dc(CreateCompatibleDC(nullptr));
  SelectGuard select(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, 0, 0};
  // An empty caption still has the height of one line.
  const std::wstring measured = caption.empty() ? L" " : caption;
  DrawTextW(dc.get(), measured.c_str(), static_cast<int>(measured.size()), &r, kLabelTextFormat | DT_CALCRECT);
  return {caption.empty() ? 0 : r.right - r.left, r.bottom - r.top};
}

bool BevelLabelControl::Create(HINSTANCE instance, HWND parent, int left, int top) {
  if (!EnsureWindowClass(instance, kBevelLabelClass, WndProc)) return false;
  // A new label: 20-point bold text in the system's UI face.
  LOGFONTW gui{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
  {
    const WindowDc screen(nullptr);
    font_ = MakeLabelFont(gui.lfFaceName,
                          MulDiv(TBevelLabel::kDefaultFontPoints, GetDeviceCaps(screen.get(), LOGPIXELSY), 72), true,
                          false);
  }
  const HWND hwnd =
      CreateWindowExW(0, kBevelLabelClass, L"", WS_CHILD | WS_VISIBLE, left, top, TBevelLabel::kDefaultWidth,
                      TBevelLabel::kDefaultHeight, parent, nullptr, instance, this);
  if (!hwnd) return false;
  window_ = UniqueWindow(hwnd);
  return true;
}

void BevelLabelControl::SetCaption(const std::string& caption) {
  // Through the window text, so WM_SETTEXT from anywhere takes the same way.
  if (window_) SetWindowTextW(window_.get(), Widen(caption).c_str());
}

void BevelLabelControl::SetFont(UniqueFont font) {
  if (!font) return;
  font_ = std::move(font);
  FitText();
  Repaint();
}

void BevelLabelControl::SetBackground(std::optional<COLORREF> background) {
  if (background_ == background) return;
  background_ = background;
  Repaint();
}

void BevelLabelControl::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  FitText();
}

void BevelLabelControl::Repaint() {
  if (window_) InvalidateRect(window_.get(), nullptr, TRUE);
}

void BevelLabelControl::FitText() {
  if (!autoSize_ || !window_) return;
  const SIZE size = LabelTextSize(font_.get(), Widen(label_.Caption()));
  SetWindowPos(window_.get(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK BevelLabelControl::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DispatchToObject(hwnd, msg, wp, lp, &BevelLabelControl::Handle);
}

LRESULT BevelLabelControl::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      // Like a label that is no window: the pointer is over the parent.
      return HTTRANSPARENT;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      label_.SetCaption(lp ? Narrow(reinterpret_cast<const wchar_t*>(lp)) : std::string());
      FitText();
      return r;
    }
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_.get());
    case WM_ENABLE:
      label_.SetEnabled(wp != FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint fills the background itself
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(hwnd, &ps);
      RECT client;
      GetClientRect(hwnd, &client);
      PaintBevelLabel(dc, label_, font_.get(), client, background_);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_NCDESTROY:
      if (window_.get() == hwnd) (void)window_.release();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace volmaru::about
