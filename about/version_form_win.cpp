#include "about/version_form_win.h"

#include <shellapi.h>

#include <functional>

#include "common/dpi_win.h"
#include "common/file_win.h"
#include "common/message_box_win.h"
#include "common/message_pump_win.h"
#include "common/text_win.h"
#include "common/window_proc_win.h"
#include "settings/file_port.h"
#include "settings/time_format_win.h"

namespace volmaru::about {

namespace {

constexpr wchar_t kLabelClass[] = L"TLabel";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
constexpr int kAppIconResource = 1;
constexpr int kIconSize = 32;

}  // namespace

// A plain label as a child window: its text in one colour over the window's
// background, sized to its text when asked. The link label also takes the
// pointer: it reports entering, leaving and clicks and shows its own cursor.
class LabelControl {
 public:
  std::function<void()> onEnter, onLeave, onClick;

  bool Create(HINSTANCE instance, HWND parent, const Place& place, const std::wstring& text, bool link) {
    link_ = link;
    if (!EnsureWindowClass(instance, kLabelClass, WndProc)) return false;
    const HWND hwnd = CreateWindowExW(0, kLabelClass, text.c_str(), WS_CHILD | WS_VISIBLE, place.left, place.top,
                                      place.width, place.height, parent, nullptr, instance, this);
    if (!hwnd) return false;
    window_ = UniqueWindow(hwnd);
    return true;
  }
  HWND hwnd() const { return window_.get(); }
  // The label's first font, kept for its life; WM_SETFONT may replace the
  // font it draws with by one that its window owns.
  void SetFont(UniqueFont font) {
    ownFont_ = std::move(font);
    SendMessageW(window_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(ownFont_.get()), TRUE);
  }
  void SetColour(COLORREF colour) {
    if (colour == colour_) return;
    colour_ = colour;
    InvalidateRect(window_.get(), nullptr, TRUE);
  }
  void SetBackground(COLORREF colour) { background_ = colour; }
  void SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    FitText();
  }
  void SetCursor(HCURSOR cursor) { cursor_ = cursor; }

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchToObject(hwnd, msg, wp, lp, &LabelControl::Handle);
  }

  void FitText() {
    if (!autoSize_ || !window_) return;
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window_.get())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window_.get(), text.data(), static_cast<int>(text.size()))));
    const SIZE size = LabelTextSize(font_, text);
    SetWindowPos(window_.get(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_NCHITTEST:
        // Only the link takes the pointer; over the other labels the pointer
        // is over the window's background.
        return link_ ? HTCLIENT : HTTRANSPARENT;
      case WM_SETCURSOR:
        if (link_ && cursor_ && LOWORD(lp) == HTCLIENT) {
          ::SetCursor(cursor_);
          return TRUE;
        }
        break;
      case WM_MOUSEMOVE:
        if (link_) {
          if (!tracking_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
            tracking_ = TrackMouseEvent(&tme) != FALSE;
          }
          if (onEnter) onEnter();
        }
        return 0;
      case WM_MOUSELEAVE:
        tracking_ = false;
        if (onLeave) onLeave();
        return 0;
      case WM_LBUTTONDOWN:
        if (link_) {
          pressed_ = true;
          SetCapture(hwnd);
        }
        return 0;
      case WM_LBUTTONUP:
        if (pressed_) {
          pressed_ = false;
          ReleaseCapture();
          RECT r;
          GetClientRect(hwnd, &r);
          const POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
          if (PtInRect(&r, p) && onClick) onClick();
        }
        return 0;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        FitText();
        if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_SETTEXT: {
        const LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
        FitText();
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
      }
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT: {
        PAINTSTRUCT ps;
        const HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        UniqueGdiObject brush(CreateSolidBrush(background_));
        FillRect(dc, &r, static_cast<HBRUSH>(brush.get()));
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
        SelectGuard select(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colour_);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_EXPANDTABS);
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

  bool link_ = false;
  bool autoSize_ = false;
  bool tracking_ = false;
  bool pressed_ = false;
  COLORREF colour_ = 0;
  COLORREF background_ = 0xFFFFFF;
  HFONT font_ = nullptr;
  HCURSOR cursor_ = nullptr;
  UniqueFont ownFont_;
  UniqueWindow window_;
};

TLoudnessDialVersionForm::TLoudnessDialVersionForm()
    : label2_(std::make_unique<LabelControl>()), url_(std::make_unique<LabelControl>()) {}

TLoudnessDialVersionForm::~TLoudnessDialVersionForm() = default;

HWND TLoudnessDialVersionForm::LinkWindow() {
  BuildLabels();
  return url_->hwnd();
}
HWND TLoudnessDialVersionForm::Label2Window() {
  BuildLabels();
  return label2_->hwnd();
}

bool TLoudnessDialVersionForm::Create(HINSTANCE instance, HWND owner, const std::string& exeFolder,
                                      const std::string& settingsPath, VersionFormHost& host, Form* meter,
                                      Form* settings) {
  exeFolder_ = exeFolder;
  settingsPath_ = settingsPath;
  host_ = &host;
  meter_ = meter;
  settings_ = settings;
  background_.reset(CreateSolidBrush(kBackground));
  instance_ = instance;
  labelFace_.assign(kDesignFace.begin(), kDesignFace.end());
  if (!CreateForm(instance, L"TLoudnessDialVersionForm", Widen(kVersionFormTitle).c_str(), kStyle, 0, owner)) {
    host.StartMainTimer();
    return false;
  }
  dpi_ = Dpi{volmaru::WindowDpi(hwnd())};
  RECT r{0, 0, dpi_(kClientWidth), dpi_(kClientHeight)};
  AdjustWindowRectForDpi(r, kStyle, 0, dpi_.value);
  SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Centre();
  LoadIcon();

  settings::ProfileFile file(settings::SystemFiles(), settingsPath_);
  const settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
  VersionFormCreate(store, *this);
  return true;
}

void TLoudnessDialVersionForm::BuildLabels() {
  if (built_ || !hwnd()) return;
  built_ = true;
  const std::string handPath = exeFolder_ + std::string(kHandCursorFile);
  if (FileExists(handPath)) handFile_.reset(LoadCursorFromFileW(Widen(handPath).c_str()));
  CreateControls(instance_);
  PlaceVersionLabels(*this);
}

void TLoudnessDialVersionForm::LoadIcon() {
  icon_.reset(static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON, dpi_(kIconSize), dpi_(kIconSize), 0)));
}

void TLoudnessDialVersionForm::CreateControls(HINSTANCE instance) {
  const std::wstring design(kDesignFace.begin(), kDesignFace.end());
  auto bevel = [&](BevelLabelControl& c, const LabelDesign& d, std::string_view text, uint32_t shadow) {
    if (!c.Create(instance, hwnd(), dpi_(d.place.left), dpi_(d.place.top))) return;
    c.SetBackground(kBackground);
    c.label().SetFontColor(d.colour);
    c.label().SetShadowColor(shadow);
    c.SetFont(MakeLabelFont(design.c_str(), dpi_(d.fontPixels), true, d.italic));
    c.SetCaption(std::string(text));
  };
  bevel(bevel1_, kBevelLabel1, kProductText, kBevelLabel1Shadow);
  bevel(bevel2_, kBevelLabel2, kNoticeText, kBevelLabel2Shadow);

  auto label = [&](LabelControl& c, const LabelDesign& d, std::string_view text, bool link, bool autoSize) {
    const Place scaled{dpi_(d.place.left), dpi_(d.place.top), dpi_(d.place.width), dpi_(d.place.height)};
    if (!c.Create(instance, hwnd(), scaled, Widen(text), link)) return;
    c.SetBackground(kBackground);
    c.SetColour(d.colour);
    c.SetAutoSize(autoSize);
    // The face the window was given (the system's UI face) or the design's.
    c.SetFont(MakeLabelFont(labelFace_.c_str(), dpi_(d.fontPixels), true, d.italic));
  };
  label(*label2_, kLabel2, kVersionText, false, false);
  label(*url_, kLabelURL, kProjectUrl, true, true);
  // The hand belongs to the link alone: every other place keeps its own
  // cursor, and nothing outside this window ever changes.
  url_->SetCursor(CursorOver(true, static_cast<bool>(handFile_)) == LinkCursor::kHandFile
                      ? handFile_.get()
                      : LoadCursorW(nullptr, IDC_HAND));
  url_->onEnter = [this] { OnLinkEnter(); };
  url_->onLeave = [this] { OnLinkLeave(); };
  url_->onClick = [this] {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(url_->hwnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(url_->hwnd(), text.data(), static_cast<int>(text.size()))));
    LinkClick(Narrow(text), *this);
  };
}

void TLoudnessDialVersionForm::OnLinkEnter() {
  if (hover_.PointerOnLink()) url_->SetColour(hover_.Colour());
}

void TLoudnessDialVersionForm::OnLinkLeave() {
  if (hover_.PointerOffLink()) url_->SetColour(hover_.Colour());
}

void TLoudnessDialVersionForm::Open() {
  if (!hwnd()) return;
  BuildLabels();
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd());
}

void TLoudnessDialVersionForm::Centre() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::pair<int, int> TLoudnessDialVersionForm::OuterSize() {
  RECT r;
  GetWindowRect(hwnd(), &r);
  return {r.right - r.left, r.bottom - r.top};
}

void TLoudnessDialVersionForm::SetOuterSize(int width, int height) {
  SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Centre();
}

std::string TLoudnessDialVersionForm::IconTitleFontFace() {
  LOGFONTW lf{};
  if (!SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0)) return {};
  return Narrow(lf.lfFaceName);
}

void TLoudnessDialVersionForm::ApplyFontFace(FaceTarget target, const std::string& face) {
  Form* form = target == FaceTarget::kMeter ? meter_ : target == FaceTarget::kSettings ? settings_ : this;
  if (target == FaceTarget::kVersion) labelFace_ = Widen(face);
  if (form) form->SetFontFace(Widen(face), [] { volmaru::ProcessPendingMessages(); });
}

// After a change of DPI: each label's font at the new size (the bevel labels
// keep the design's face, the two plain ones the face the window has), the
// design places scaled, then the version after the name and the right
// alignment as at creation.
void TLoudnessDialVersionForm::PlaceLabels() {
  const std::wstring design(kDesignFace.begin(), kDesignFace.end());
  constexpr UINT kMove = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
  for (auto [control, d] : {std::pair{&bevel1_, &kBevelLabel1}, std::pair{&bevel2_, &kBevelLabel2}}) {
    if (!control->hwnd()) continue;
    control->SetFont(MakeLabelFont(design.c_str(), dpi_(d->fontPixels), true, d->italic));
    SetWindowPos(control->hwnd(), nullptr, dpi_(d->place.left), dpi_(d->place.top), 0, 0, kMove);
  }
  for (auto [control, d] : {std::pair{label2_.get(), &kLabel2}, std::pair{url_.get(), &kLabelURL}}) {
    if (!control->hwnd()) continue;
    SetWindowPos(control->hwnd(), nullptr, dpi_(d->place.left), dpi_(d->place.top), dpi_(d->place.width),
                 dpi_(d->place.height), SWP_NOZORDER | SWP_NOACTIVATE);
    control->SetFont(MakeLabelFont(labelFace_.c_str(), dpi_(d->fontPixels), true, d->italic));
  }
  PlaceVersionLabels(*this);
}

void TLoudnessDialVersionForm::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0 || dpi == dpi_.value) return;
  dpi_ = Dpi{dpi};
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  LoadIcon();
  PlaceLabels();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

int TLoudnessDialVersionForm::ClientWidth() {
  RECT r;
  GetClientRect(hwnd(), &r);
  return r.right;
}

HWND TLoudnessDialVersionForm::LabelWindow(VersionLabel label) const {
  switch (label) {
    case VersionLabel::kName:
      return bevel1_.hwnd();
    case VersionLabel::kVersion:
      return label2_->hwnd();
    case VersionLabel::kNotice:
      return bevel2_.hwnd();
    case VersionLabel::kLink:
      break;
  }
  return url_->hwnd();
}

Place TLoudnessDialVersionForm::LabelPlace(VersionLabel label) {
  RECT r{};
  GetWindowRect(LabelWindow(label), &r);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TLoudnessDialVersionForm::SetLabelLeft(VersionLabel label, int left) {
  SetWindowPos(LabelWindow(label), nullptr, left, LabelPlace(label).top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TLoudnessDialVersionForm::StartMainTimer() {
  if (host_) host_->StartMainTimer();
}

void TLoudnessDialVersionForm::ProcessPendingMessages() { volmaru::ProcessPendingMessages(); }

intptr_t TLoudnessDialVersionForm::OpenAddress(const std::string& address) {
  return reinterpret_cast<intptr_t>(
      ShellExecuteW(hwnd(), L"open", Widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

void TLoudnessDialVersionForm::ShowMessage(std::string_view text) { ShowMessageBox(hwnd(), text, "ボルマル", MB_OK); }

void TLoudnessDialVersionForm::Paint(HDC dc) {
  if (!icon_) return;
  // The 32-pixel icon in the middle of its place.
  const int size = dpi_(kIconSize);
  DrawIconEx(dc, dpi_(kImage1.left) + (dpi_(kImage1.width) - size) / 2,
             dpi_(kImage1.top) + (dpi_(kImage1.height) - size) / 2, icon_.get(), size, size, 0, nullptr, DI_NORMAL);
}

LRESULT TLoudnessDialVersionForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(background_.get()));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(hwnd, &ps);
      Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_MOUSEMOVE:
      // Over the background (the other labels let the pointer through).
      OnLinkLeave();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE: {
      // The size the window has when it is not minimised.
      WINDOWPLACEMENT placement{};
      placement.length = sizeof placement;
      GetWindowPlacement(hwnd, &placement);
      const RECT& r = placement.rcNormalPosition;
      settings::ProfileFile file(settings::SystemFiles(), settingsPath_);
      settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
      VersionFormClose(store, r.right - r.left, r.bottom - r.top, dpi_);
      OnLinkLeave();
      ShowWindow(hwnd, SW_HIDE);
      return 0;
    }
    default:
      break;
  }
  return Form::Handle(hwnd, msg, wp, lp);
}

}  // namespace volmaru::about
