#include "meter/volume_bar_form_win.h"

#include <mmsystem.h>

#include "common/message_pump_win.h"
#include "common/message_box_win.h"
#include "common/dpi_win.h"
#include "common/text_win.h"
#include "common/themed_button_win.h"
#include "input/force_foreground_win.h"
#include "settings/time_format_win.h"

namespace volmaru::meter {
namespace {

enum BoxControl { kLabel2, kComboBoxVolume, kBtnVolumeOK, kBtnDelItem, kBtnCancel };
// Left, top, width and height of each control inside the box, in design
// units.
constexpr RECT kBoxPlaces[5] = {{3, 8, 32, 16}, {37, 3, 46, 200}, {85, 4, 40, 25}, {3, 34, 60, 25}, {69, 34, 60, 25}};
constexpr COLORREF kApplyCaptionColour = RGB(0, 0, 128);  // navy
constexpr COLORREF kRedCaptionColour = RGB(255, 0, 0);
constexpr int kBoxIds[5] = {200, 201, 202, 203, 204};
// The meter behind the subclassed edit field of the drop-down.
constexpr wchar_t kEditOwnerProperty[] = L"VolmaruMeter";

// `overColourKey`: text drawn straight onto the colour key. Smoothing
// (ClearType or greyscale) would blend its edge pixels with the key colour,
// and a blended pixel is no longer transparent: a green or brown fringe
// around the number. Such text is drawn without smoothing, as the tray
// icon's number is.
UniqueFont MakeFont(int pixelHeight, bool bold, const wchar_t* face, bool overColourKey) {
  LOGFONTW lf{};
  lf.lfHeight = -pixelHeight;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  if (overColourKey) lf.lfQuality = NONANTIALIASED_QUALITY;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return UniqueFont(CreateFontIndirectW(&lf));
}

}  // namespace

bool TVolumeBarForm::Create(HINSTANCE instance, MeterHost& host, HWND owner) {
  host_ = &host;
  // The main window's start-up must be complete; if it never will be, the
  // wait ends with the main window.
  while (!host.StartupComplete()) {
    if (!host.HostAlive() || !volmaru::ProcessPendingMessages()) return false;
    Sleep(10);
  }
  settings::ProfileFile file(settings::SystemFiles(), host.DataFolder() + settings::kSettingsFileName);
  settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
  settings_ = store.LoadMeter();
  barColour_ = settings_.Color;
  navyBrush_.reset(CreateSolidBrush(0x800000));
  creamBrush_.reset(CreateSolidBrush(0xF0FBFF));
  if (!CreateForm(instance, L"TVolumeBarForm", L"音量メーター", WS_POPUP,
                  WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, owner)) {
    return false;
  }
  dpi_ = Dpi{WindowDpi(hwnd())};
  box_.dpi = dpi_;
  boxHeight_ = dpi_(kBoxHeight);
  MakeFonts();
  SetKey(background_);
  CreateBoxControls(instance);
  // The saved volumes come last, after the meter's other settings.
  box_.Load(settings_.SavedVolumes);
  PlaceMeter();
  return true;
}

void TVolumeBarForm::SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) {
  Form::SetFontFace(face, letMessagesRun);
  face_ = face;
  if (UniqueFont f = FontWithFace(numberFont_.get(), face)) numberFont_ = std::move(f);
  if (UniqueFont f = FontWithFace(hoverFont_.get(), face)) hoverFont_ = std::move(f);
}

// The number, the hover text and the box's controls at the meter's DPI, in
// the face the meter has now.
void TVolumeBarForm::MakeFonts() {
  numberFont_ = MakeFont(dpi_(40), true, face_.c_str(), true);
  hoverFont_ = MakeFont(dpi_(24), true, face_.c_str(), true);
  UniqueFont box = MakeFont(dpi_(12), false, face_.c_str(), false);
  for (HWND c : controls_) {
    if (c) SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(box.get()), FALSE);
  }
  boxFont_ = std::move(box);
}

void TVolumeBarForm::OnDpiChanged(int dpi) {
  if (dpi <= 0 || dpi == dpi_.value) return;
  dpi_ = Dpi{dpi};
  box_.dpi = dpi_;
  boxHeight_ = dpi_(kBoxHeight);
  MakeFonts();
  Relayout();
}

// The meter placed anew on the screen as it is now (another DPI, another
// work area or display), its dots and labels with it.
void TVolumeBarForm::Relayout() {
  PlaceMeter();
  const Rect& bar = placement_.bar;
  if (barVisible_)
    dots_ = MeterDots(bar.width, bar.height, host_->CurrentVolume(), IsVertical(settings_.Position), dpi_);
  PlaceNumberLabel();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void TVolumeBarForm::CreateBoxControls(HINSTANCE instance) {
  struct ControlKind {
    const wchar_t* cls;
    const wchar_t* text;
    DWORD style;
  };
  const ControlKind kinds[5] = {
      {L"STATIC", L"音量:", SS_LEFT},
      {L"COMBOBOX", L"100", CBS_DROPDOWN | CBS_SORT | WS_VSCROLL},
      {L"BUTTON", L"変更", BS_PUSHBUTTON},
      {L"BUTTON", L"登録削除", BS_PUSHBUTTON},
      {L"BUTTON", L"キャンセル", BS_PUSHBUTTON},
  };
  for (int i = 0; i < 5; ++i) {
    const RECT& r = kBoxPlaces[i];
    controls_[i] = CreateWindowExW(0, kinds[i].cls, kinds[i].text, WS_CHILD | kinds[i].style, dpi_(r.left), dpi_(r.top),
                                   dpi_(r.right), dpi_(r.bottom), hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kBoxIds[i])), instance, nullptr);
    SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), FALSE);
  }
  EnableWindow(controls_[kBtnDelItem], FALSE);
  // Enter and the characters typed into the drop-down go to the box first.
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  if (GetComboBoxInfo(controls_[kComboBoxVolume], &info) && info.hwndItem) {
    edit_ = info.hwndItem;
    SetPropW(edit_, kEditOwnerProperty, this);
    editProc_ =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
  }
}

void TVolumeBarForm::LayoutBox() {
  const int dx = placement_.boxLeft;
  const int dy = placement_.boxTop;
  for (int i = 0; i < 5; ++i) {
    const RECT& r = kBoxPlaces[i];
    SetWindowPos(controls_[i], nullptr, dx + dpi_(r.left), dy + dpi_(r.top), dpi_(r.right), dpi_(r.bottom),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    const bool shown = boxVisible_ && (i != kComboBoxVolume || comboShown_);
    ShowWindow(controls_[i], shown ? SW_SHOWNA : SW_HIDE);
  }
  BringDropDownToFront();
  // A hidden control keeps the focus it had (the edit field inside the
  // drop-down does), and keys would go on into the hidden box: the meter
  // takes the focus back.
  const HWND focus = GetFocus();
  if (!boxVisible_ && focus && IsChild(hwnd(), focus)) SetFocus(hwnd());
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

// One operation of the meter on the settings file, after making sure the
// data folder exists. Write failures are not reported: the meter comes back
// at its default place, a saved volume is simply not kept.
template <typename Write>
void TVolumeBarForm::WriteSettings(Write write) {
  const std::string folder = host_->DataFolder();
  settings::FilePort& files = settings::SystemFiles();
  const std::string dir = folder.substr(0, folder.size() - 1);
  if (!files.DirectoryExists(dir)) files.CreateDirectories(dir);
  settings::ProfileFile file(files, folder + settings::kSettingsFileName);
  settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
  try {
    write(store);
  } catch (const settings::SettingsWriteError&) {
  }
}

void TVolumeBarForm::SavePosition(settings::MeterPosition pos) {
  settings_.Places[static_cast<size_t>(settings_.Position)] = pos;
  WriteSettings([&](settings::SettingsStore& store) { store.WriteMeterPosition(settings_.Position, pos); });
}

void TVolumeBarForm::SaveAddedVolume(int index, int volume) {
  WriteSettings([&](settings::SettingsStore& store) { store.AddSavedVolume(index, volume); });
}

void TVolumeBarForm::RewriteSavedVolumes(const std::vector<int>& volumes) {
  WriteSettings([&](settings::SettingsStore& store) { store.RewriteSavedVolumes(volumes); });
}

void TVolumeBarForm::PlaceMeter() {
  const int sw = GetSystemMetrics(SM_CXSCREEN);
  const int sh = GetSystemMetrics(SM_CYSCREEN);
  const int position = settings_.Position;
  placement_ = meter::PlaceMeter(sw, sh, position,
                                 settings_.Places[static_cast<size_t>(position) % settings::kMeterPlaces], dpi_);
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
    labelPos_ = {VerticalNumberLabelLeft(settings_.Position, placement_.bar, label.cx, dpi_),
                 (w.height - label.cy) / 2};
  }
}

void TVolumeBarForm::RefreshMeter() {
  barVisible_ = false;
  boxVisible_ = false;
  box_.OnBoxHidden();
  IsEditingBox = false;
  if (host_->MuteShown()) {
    labelColour_ = kMuteTextColour;
    labelText_ = L"ミュート";
  } else {
    DrawMeter();
  }
  PlaceMeter();
  // The final placement puts the text where the number goes: centred on a
  // horizontal meter, beside the bar on a vertical one.
  if (host_->MuteShown()) PlaceNumberLabel();
}

void TVolumeBarForm::DrawMeter() {
  SetKey(background_);
  const int v = host_->CurrentVolume();
  labelText_ = std::to_wstring(v);
  barVisible_ = true;
  boxVisible_ = !settings_.IsNoShowPanelSetVolume;
  if (boxVisible_) comboShown_ = true;
  // The edit shows the volume, the box's editing ends.
  box_.OnMeterDrawn(v, boxVisible_);
  PlaceMeter();

  BarColourInputs in = host_->ColourInputs();
  in.previous = barColour_;
  barColour_ = ChooseBarColour(in);
  if (key_ == barColour_) {
    background_ = BackgroundFor(key_, barColour_);
    SetKey(background_);
  }
  labelColour_ = barColour_;
  const Rect& bar = placement_.bar;
  dots_ = MeterDots(bar.width, bar.height, v, IsVertical(settings_.Position), dpi_);
  PlaceNumberLabel();
  InvalidateRect(hwnd(), nullptr, TRUE);
  ApplyShowFocus();  // shown first, drawn second
}

void TVolumeBarForm::Show() {
  const bool wasVisible = visible();
  ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  MakeTopmost();
  if (!wasVisible) {
    showFocusPending_ = true;
    ApplyShowFocus();
  }
}

// "変更" takes the focus of a meter that was shown with its box. Setting the
// focus would activate the meter (and, while this program is in the
// foreground, take the foreground from its other windows), which showing
// must not do: the focus is given now if the meter is already active, or
// when it becomes active (ForceForeground, a click into the box).
void TVolumeBarForm::ApplyShowFocus() {
  if (!showFocusPending_ || !boxVisible_) return;
  savedFocus_ = controls_[kBtnVolumeOK];
  if (GetActiveWindow() != hwnd()) return;
  showFocusPending_ = false;
  SetFocus(controls_[kBtnVolumeOK]);
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
  const HWND combo = controls_[kComboBoxVolume];
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(combo)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(combo, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string TVolumeBarForm::EditText() { return Narrow(BoxEditText()); }

void TVolumeBarForm::SetEditText(std::string_view text) {
  SetWindowTextW(controls_[kComboBoxVolume], Widen(text).c_str());
}

void TVolumeBarForm::InsertItem(size_t index, std::string_view text) {
  // The box keeps the sorted order itself; the control takes each item at
  // the place the box gives it.
  SendMessageW(controls_[kComboBoxVolume], CB_INSERTSTRING, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void TVolumeBarForm::DeleteItem(size_t index) {
  SendMessageW(controls_[kComboBoxVolume], CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

int TVolumeBarForm::SelectedIndex() {
  return static_cast<int>(SendMessageW(controls_[kComboBoxVolume], CB_GETCURSEL, 0, 0));
}

void TVolumeBarForm::EnableDeleteButton(bool enabled) { EnableWindow(controls_[kBtnDelItem], enabled); }

void TVolumeBarForm::FocusApplyButton() { SetFocus(controls_[kBtnVolumeOK]); }

void TVolumeBarForm::BringDropDownToFront() {
  SetWindowPos(controls_[kComboBoxVolume], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TVolumeBarForm::SetBoxHeight(int height) {
  boxHeight_ = height;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

void TVolumeBarForm::SetBarVisible(bool shown) {
  barVisible_ = shown;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

// The boxes have no owner window; topmost (as every box of the program), so
// that the topmost meter never covers them.
void TVolumeBarForm::Inform(std::string_view text, std::string_view title) {
  ShowMessageBox(nullptr, text, title, MB_OK | MB_ICONINFORMATION);
}

bool TVolumeBarForm::Ask(std::string_view question) {
  return ShowMessageBox(nullptr, question, kVolumeQuestionTitle, MB_YESNO | MB_ICONQUESTION, IDNO) == IDYES;
}

void TVolumeBarForm::ProcessPendingMessages() { volmaru::ProcessPendingMessages(); }

uint32_t TVolumeBarForm::Now() { return timeGetTime(); }

BoxPoint TVolumeBarForm::Cursor() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

bool TVolumeBarForm::PointerOnBox() const {
  if (!boxVisible_) return false;
  POINT p{};
  GetCursorPos(&p);
  ScreenToClient(hwnd(), &p);
  return p.x >= placement_.boxLeft && p.x < placement_.boxLeft + dpi_(kBoxWidth) && p.y >= placement_.boxTop &&
         p.y < placement_.boxTop + boxHeight_;
}

void TVolumeBarForm::OnBoxCommand(int id, int code) {
  if (id == kBoxIds[kComboBoxVolume]) {
    switch (code) {
      case CBN_DROPDOWN: {
        RECT dropped{};
        SendMessageW(controls_[kComboBoxVolume], CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        box_.OnListOpened(dropped.bottom - dropped.top);
        break;
      }
      case CBN_CLOSEUP:
        box_.OnListClosed();
        break;
      case CBN_SELCHANGE:
        box_.OnSelectionChanged();
        box_.OnClicked();
        break;
      case CBN_SETFOCUS:
        box_.OnFocusReceived();
        break;
      case CBN_KILLFOCUS:
        box_.OnFocusLost();
        break;
      case CBN_EDITCHANGE:
        IsEditingBox = true;  // the user types: the meter stays
        break;
      default:
        break;
    }
    return;
  }
  if (code != BN_CLICKED) return;
  if (id == kBoxIds[kBtnVolumeOK]) box_.OnApply();
  if (id == kBoxIds[kBtnDelItem]) box_.OnDelete();
  if (id == kBoxIds[kBtnCancel]) box_.OnCancel();
}

LRESULT CALLBACK TVolumeBarForm::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = static_cast<TVolumeBarForm*>(GetPropW(hwnd, kEditOwnerProperty));
  if (!self || !self->editProc_) return DefWindowProcW(hwnd, msg, wp, lp);
  try {
    return self->HandleEdit(hwnd, msg, wp, lp);
  } catch (...) {
    return 0;  // dropped: the program keeps running
  }
}

LRESULT TVolumeBarForm::HandleEdit(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  const WNDPROC original = editProc_;
  switch (msg) {
    case WM_CHAR: {
      const int code = static_cast<int>(wp);
      if (SetVolumeBox::ConsumesKey(code)) {
        box_.OnKeyTyped(code);
        return 0;
      }
      const LRESULT result = CallWindowProcW(original, hwnd, msg, wp, lp);
      box_.OnKeyTyped(code);
      return result;
    }
    case WM_LBUTTONDOWN:
      box_.OnClicked();
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropW(hwnd, kEditOwnerProperty);
      editProc_ = nullptr;
      edit_ = nullptr;
      break;
    default:
      break;
  }
  return CallWindowProcW(original, hwnd, msg, wp, lp);
}

void TVolumeBarForm::Paint(HDC dc) {
  RECT client;
  GetClientRect(hwnd(), &client);
  UniqueGdiObject back(CreateSolidBrush(background_));
  FillRect(dc, &client, static_cast<HBRUSH>(back.get()));
  if (boxVisible_) {
    const RECT box{placement_.boxLeft, placement_.boxTop, placement_.boxLeft + dpi_(kBoxWidth),
                   placement_.boxTop + boxHeight_};
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
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_MOUSEACTIVATE:
      // A click on the bar sets the volume without taking the foreground
      // from the program the user works in; a click into the box means
      // typing there, which needs the meter in the foreground. The program
      // that gets the click may take the foreground: no joining of the
      // other program's input (which under Wine loses the button release
      // of the very click).
      if (PointerOnBox() && GetForegroundWindow() != hwnd) SetForegroundWindow(hwnd);
      return MA_NOACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) savedFocus_ = focus;
        return 0;
      }
      {
        // A click into the box put the focus where the user wants it.
        const HWND focus = GetFocus();
        if (focus && IsChild(hwnd, focus)) {
          showFocusPending_ = false;
          return 0;
        }
      }
      if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        if (savedFocus_ == controls_[kBtnVolumeOK]) showFocusPending_ = false;
        SetFocus(savedFocus_);
        return 0;
      }
      break;
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
          hoverPos_ = {HoverLabelLeft(bx, bar, placement_.boxLeft + dpi_(kBoxWidth), placement_.window.width, size.cx),
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
          SavePosition(StoredPosition(pos, dpi_));
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
      if (!barVisible_ || host_->NoChangeByMouse()) return 0;
      const int bx = x - bar.left, by = y - bar.top;
      if (!InsideBar(bx, by, bar.width, bar.height)) return 0;
      if (msg == WM_LBUTTONUP) {
        host_->SetVolume(VolumeAt(bx, by, bar.width, bar.height, vertical));
        DrawMeter();
        host_->SetMeterShownAt(timeGetTime());
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
      OnBoxCommand(LOWORD(wp), HIWORD(wp));
      return 0;
    case WM_DPICHANGED:
      // The meter places itself by the screen, not by the suggested rectangle.
      OnDpiChanged(HIWORD(wp));
      return 0;
    case WM_DISPLAYCHANGE:
      Relayout();
      break;
    case WM_SETTINGCHANGE:
      if (wp == SPI_SETWORKAREA) Relayout();
      break;
    case WM_NOTIFY: {
      // "変更" in navy, "登録削除" and "キャンセル" in red.
      const auto& nm = *reinterpret_cast<const NMHDR*>(lp);
      if (nm.code != NM_CUSTOMDRAW) break;
      if (nm.hwndFrom == controls_[kBtnVolumeOK]) {
        return DrawButtonWithTextColour(*reinterpret_cast<const NMCUSTOMDRAW*>(lp), kApplyCaptionColour);
      }
      if (nm.hwndFrom == controls_[kBtnDelItem] || nm.hwndFrom == controls_[kBtnCancel]) {
        return DrawButtonWithTextColour(*reinterpret_cast<const NMCUSTOMDRAW*>(lp), kRedCaptionColour);
      }
      break;
    }
    default:
      break;
  }
  return Form::Handle(hwnd, msg, wp, lp);
}

}  // namespace volmaru::meter
