#include "meter/volume_bar_form_win.h"

#include <mmsystem.h>

#include "app/main_window_win.h"
#include "app/message_pump_win.h"
#include "common/text_win.h"
#include "settings/settei_form_win.h"
#include "settings/time_format_win.h"
#include "volume/volume_ops.h"

namespace volmaru::meter {
namespace {

enum BoxControl { kLabel2, kComboBoxVolume, kBtnVolumeOK, kBtnDelItem, kBtnCancel };
constexpr int kBoxIds[5] = {200, 201, 202, 203, 204};

UniqueFont MakeFont(int pixelHeight, bool bold, const wchar_t* face) {
  LOGFONTW lf{};
  lf.lfHeight = -pixelHeight;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&lf));
}

}  // namespace

bool TVolumeBarForm::Create(HINSTANCE instance, app::TVolumeChangeForm& main,
                            settings::TVolumeChangeSetteiForm& settei) {
  main_ = &main;
  settei_ = &settei;
  // The main window's start-up must be complete; if it never will be, the
  // wait ends with the main window.
  while (!main.state().StartupComplete) {
    if (!main.alive() || !app::ProcessPendingMessages()) return false;
    Sleep(10);
  }
  settings::ProfileFile file(settings::SystemFiles(), main.state().DataFolder + settings::kSettingsFileName);
  settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
  settings_ = store.LoadMeter();
  barColour_ = settings_.Color;
  numberFont_ = MakeFont(40, true, L"ＭＳ Ｐゴシック");
  hoverFont_ = MakeFont(24, true, L"ＭＳ Ｐゴシック");
  boxFont_ = MakeFont(12, false, L"ＭＳ Ｐゴシック");
  navyBrush_.reset(CreateSolidBrush(0x800000));
  creamBrush_.reset(CreateSolidBrush(0xF0FBFF));
  if (!CreateForm(instance, L"TVolumeBarForm", L"音量メーター", WS_POPUP,
                  WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, main.hwnd())) {
    return false;
  }
  SetKey(background_);
  CreateBoxControls(instance);
  PlaceMeter();
  return true;
}

void TVolumeBarForm::SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) {
  Form::SetFontFace(face, letMessagesRun);
  if (UniqueFont f = FontWithFace(numberFont_.get(), face)) numberFont_ = std::move(f);
  if (UniqueFont f = FontWithFace(hoverFont_.get(), face)) hoverFont_ = std::move(f);
}

void TVolumeBarForm::CreateBoxControls(HINSTANCE instance) {
  struct ControlPlace {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
    RECT r;  // left, top, width, height inside the box
  };
  const ControlPlace places[5] = {
      {L"STATIC", L"音量:", SS_LEFT, {3, 8, 32, 16}},
      {L"COMBOBOX", L"100", CBS_DROPDOWN | CBS_SORT | WS_VSCROLL, {37, 3, 46, 200}},
      {L"BUTTON", L"変更", BS_PUSHBUTTON, {85, 4, 40, 25}},
      {L"BUTTON", L"登録削除", BS_PUSHBUTTON, {3, 34, 60, 25}},
      {L"BUTTON", L"キャンセル", BS_PUSHBUTTON, {69, 34, 60, 25}},
  };
  for (int i = 0; i < 5; ++i) {
    box_[i] = CreateWindowExW(0, places[i].cls, places[i].text, WS_CHILD | places[i].style, places[i].r.left,
                              places[i].r.top, places[i].r.right, places[i].r.bottom, hwnd(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxIds[i])), instance, nullptr);
    SendMessageW(box_[i], WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), FALSE);
  }
  EnableWindow(box_[kBtnDelItem], FALSE);
  for (int v : settings_.SavedVolumes) {
    const std::wstring text = v < 0 ? L" " : std::to_wstring(v);
    SendMessageW(box_[kComboBoxVolume], CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
}

void TVolumeBarForm::LayoutBox() {
  const int dx = placement_.boxLeft;
  const int dy = placement_.boxTop;
  const RECT where[5] = {{3, 8, 32, 16}, {37, 3, 46, 200}, {85, 4, 40, 25}, {3, 34, 60, 25}, {69, 34, 60, 25}};
  for (int i = 0; i < 5; ++i) {
    SetWindowPos(box_[i], nullptr, dx + where[i].left, dy + where[i].top, where[i].right, where[i].bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(box_[i], boxVisible_ ? SW_SHOWNA : SW_HIDE);
  }
}

int TVolumeBarForm::CurrentVolume() const {
  const app::MainWindowState& s = main_->state();
  return s.UseEndpointVolume ? volume::ScalarToPercent(s.EndpointScalar) : s.MixerVolume;
}

bool TVolumeBarForm::MuteFlag() const {
  const app::MainWindowState& s = main_->state();
  return s.MixerMute == 1 || s.EndpointMute == 1;
}

void TVolumeBarForm::SetKey(uint32_t key) {
  key_ = key;
  SetLayeredWindowAttributes(hwnd(), key, 255, LWA_COLORKEY);
}

SIZE TVolumeBarForm::TextSize(const std::wstring& text, HFONT font) const {
  SIZE size{0, 0};
  WindowDc dc(hwnd());
  SelectGuard select(dc.get(), font);
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

Rect TVolumeBarForm::WindowRect() const {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TVolumeBarForm::SavePosition(settings::MeterPosition pos) {
  settings_.Places[static_cast<size_t>(settings_.Position)] = pos;
  const std::string folder = main_->state().DataFolder;
  settings::FilePort& files = settings::SystemFiles();
  const std::string dir = folder.substr(0, folder.size() - 1);
  if (!files.DirectoryExists(dir)) files.CreateDirectories(dir);
  settings::ProfileFile file(files, folder + settings::kSettingsFileName);
  settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
  try {
    store.WriteMeterPosition(settings_.Position, pos);
  } catch (const settings::SettingsWriteError&) {
    // Not reported: the meter simply comes back at its default place.
  }
}

void TVolumeBarForm::PlaceMeter() {
  const int sw = GetSystemMetrics(SM_CXSCREEN);
  const int sh = GetSystemMetrics(SM_CYSCREEN);
  const int position = settings_.Position;
  placement_ =
      meter::PlaceMeter(sw, sh, position, settings_.Places[static_cast<size_t>(position) % settings::kMeterPlaces]);
  if (placement_.savedReset) SavePosition(placement_.saved);
  const Rect& w = placement_.window;
  SetWindowPos(hwnd(), nullptr, w.left, w.top, w.width, w.height, SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutBox();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TVolumeBarForm::PlaceNumberLabel() {
  const SIZE label = TextSize(labelText_, numberFont_.get());
  const Rect& w = placement_.window;
  if (!IsVertical(settings_.Position)) {
    labelPos_ = {(w.width - label.cx) / 2, 0};
  } else {
    labelPos_ = {VerticalNumberLabelLeft(settings_.Position, placement_.bar, label.cx), (w.height - label.cy) / 2};
  }
}

void TVolumeBarForm::RefreshMeter() {
  barVisible_ = false;
  boxVisible_ = false;
  IsEditingBox = false;
  if (MuteFlag()) {
    labelColour_ = kMuteTextColour;
    labelText_ = L"ミュート";
  } else {
    DrawMeter();
  }
  PlaceMeter();
  // The final placement puts the text where the number goes: centred on a
  // horizontal meter, beside the bar on a vertical one.
  if (MuteFlag()) PlaceNumberLabel();
}

void TVolumeBarForm::DrawMeter() {
  SetKey(background_);
  const int v = CurrentVolume();
  labelText_ = std::to_wstring(v);
  SetWindowTextW(box_[kComboBoxVolume], labelText_.c_str());
  barVisible_ = true;
  boxVisible_ = !settings_.IsNoShowPanelSetVolume;
  if (boxVisible_) {
    IsEditingBox = false;
    EnableWindow(box_[kBtnDelItem], FALSE);
  }
  PlaceMeter();

  const settings::PageSettings& pages = settei_->pages();
  const app::MainWindowState& s = main_->state();
  BarColourInputs in;
  in.colorByIconColor = pages.ColorByIconColor;
  in.changeColorByDevice = pages.ChangeColorByDevice;
  in.pickerColour = pages.MeterColor;
  in.changeIconColorByDevice = pages.ChangeIconColorByDevice;
  in.iconText = s.IconColours.Text;
  in.iconBack = s.IconColours.Back;
  in.profiles = &s.DeviceProfiles;
  in.defaultDeviceName = s.DefaultDeviceName;
  in.previous = barColour_;
  barColour_ = ChooseBarColour(in);
  if (key_ == barColour_) {
    background_ = BackgroundFor(key_, barColour_);
    SetKey(background_);
  }
  labelColour_ = barColour_;
  const Rect& bar = placement_.bar;
  dots_ = MeterDots(bar.width, bar.height, v, IsVertical(settings_.Position));
  PlaceNumberLabel();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TVolumeBarForm::Show() {
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  MakeTopmost();
}

void TVolumeBarForm::Close() { ShowWindow(hwnd(), SW_HIDE); }

void TVolumeBarForm::MakeTopmost() {
  SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TVolumeBarForm::Repaint() {
  InvalidateRect(hwnd(), nullptr, TRUE);
  UpdateWindow(hwnd());
}

std::wstring TVolumeBarForm::BoxEditText() const {
  wchar_t buf[32] = {};
  GetWindowTextW(box_[kComboBoxVolume], buf, 32);
  return buf;
}

void TVolumeBarForm::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  UniqueGdiObject back(CreateSolidBrush(background_));
  FillRect(dc, &client, static_cast<HBRUSH>(back.get()));
  if (boxVisible_) {
    const RECT box{placement_.boxLeft, placement_.boxTop, placement_.boxLeft + kBoxWidth,
                   placement_.boxTop + kBoxHeight};
    FillRect(dc, &box, static_cast<HBRUSH>(navyBrush_.get()));
  }
  if (barVisible_) {
    const Rect& bar = placement_.bar;
    UniqueGdiObject fill(CreateSolidBrush(barColour_));
    SelectGuard brush(dc, fill.get());
    SelectGuard pen(dc, GetStockObject(BLACK_PEN));
    for (const Dot& d : dots_) {
      Ellipse(dc, bar.left + d.left, bar.top + d.top, bar.left + d.right, bar.top + d.bottom);
    }
  }
  SetBkMode(dc, TRANSPARENT);
  {
    SelectGuard font(dc, numberFont_.get());
    SetTextColor(dc, labelColour_);
    TextOutW(dc, labelPos_.x, labelPos_.y, labelText_.c_str(), static_cast<int>(labelText_.size()));
  }
  if (hoverVisible_) {
    SelectGuard font(dc, hoverFont_.get());
    SetTextColor(dc, 0x0000FF);
    TextOutW(dc, hoverPos_.x, hoverPos_.y, hoverText_.c_str(), static_cast<int>(hoverText_.size()));
  }
}

LRESULT TVolumeBarForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const Rect& bar = placement_.bar;
  const int x = static_cast<short>(LOWORD(lp));
  const int y = static_cast<short>(HIWORD(lp));
  const bool vertical = IsVertical(settings_.Position);
  const bool onBar =
      barVisible_ && x >= bar.left && x < bar.left + bar.width && y >= bar.top && y < bar.top + bar.height;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      Paint(dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      if (!trackingLeave_) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
        trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
      }
      if (onBar) {
        if (key_ == background_) SetKey(background_ + 10);  // opaque while the pointer is over it
        const int bx = x - bar.left, by = y - bar.top;
        hoverText_ = std::to_wstring(VolumeAt(bx, by, bar.width, bar.height, vertical));
        const SIZE size = TextSize(hoverText_, hoverFont_.get());
        if (!vertical) {
          hoverPos_ = {HoverLabelLeft(bx, bar, placement_.boxLeft + kBoxWidth, placement_.window.width, size.cx),
                       placement_.hoverLabelTop};
        } else {
          hoverPos_ = {labelPos_.x, HoverLabelTop(by, bar, size.cy)};
        }
        hoverVisible_ = true;
        InvalidateRect(hwnd, nullptr, FALSE);
      } else {
        if (hoverVisible_) {
          hoverVisible_ = false;
          InvalidateRect(hwnd, nullptr, FALSE);
        }
        if (wp & MK_LBUTTON) {
          // Dragging the opaque background moves the meter along its axis.
          ReleaseCapture();
          SendMessageW(hwnd, WM_SYSCOMMAND, 0xF012, 0);
          const Rect w = WindowRect();
          const settings::MeterPosition pos = AfterDrag(w.left, w.top, w.width, w.height, GetSystemMetrics(SM_CXSCREEN),
                                                        GetSystemMetrics(SM_CYSCREEN), vertical);
          SetWindowPos(hwnd, nullptr, pos.X, pos.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
          SavePosition(pos);
        }
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      hoverVisible_ = false;
      SetKey(background_);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: {
      if (!barVisible_ || main_->NoChangeByMouse()) return 0;
      const int bx = x - bar.left, by = y - bar.top;
      if (!InsideBar(bx, by, bar.width, bar.height)) return 0;
      if (msg == WM_LBUTTONUP) {
        main_->SetVolume(VolumeAt(bx, by, bar.width, bar.height, vertical));
        DrawMeter();
        main_->state().MeterShownAt = timeGetTime();
      } else {
        SetKey(key_ == background_ ? background_ + 10 : background_);
      }
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, 0x00FF00);  // lime
      SetBkColor(dc, 0x800000);
      return reinterpret_cast<LRESULT>(navyBrush_.get());
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, 0x800000);
      SetBkColor(dc, 0xF0FBFF);
      return reinterpret_cast<LRESULT>(creamBrush_.get());
    }
    case WM_COMMAND:
      // The box's commands (apply, delete, cancel) come with the saved-volume
      // list; typing in it already keeps the meter from hiding.
      if (LOWORD(wp) == kBoxIds[kComboBoxVolume] && (HIWORD(wp) == CBN_EDITCHANGE || HIWORD(wp) == CBN_SETFOCUS)) {
        IsEditingBox = true;
      }
      return 0;
    default:
      break;
  }
  return Form::Handle(hwnd, msg, wp, lp);
}

}  // namespace volmaru::meter
