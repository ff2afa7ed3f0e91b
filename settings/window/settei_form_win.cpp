#include "settings/window/settei_form_win.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "common/dpi_win.h"
#include "common/file_win.h"
#include "common/message_box_win.h"
#include "common/message_pump_win.h"
#include "common/system_library_win.h"
#include "common/text_win.h"
#include "devices/device_icon_win.h"
#include "settings/file_port.h"
#include "settings/time_format_win.h"
#include "settings/window/settei_layout.h"
#include "tray/icon_render_win.h"

namespace volmaru::settings {
namespace {

using namespace ctl;

constexpr UINT_PTR kAltTimerId = 1;
constexpr UINT kAltTimerMs = 100;
constexpr UINT kMsgColourPicked = WM_APP + 1;
constexpr UINT kMsgDeviceTimeReleased = WM_APP + 2;
constexpr UINT kMenuHelp = 901;
constexpr UINT kMenuVersion = 902;
constexpr wchar_t kContainerClass[] = L"VolmaruSetteiContainer";
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 25;
constexpr int kMargin = 4;
constexpr int kColourItemHeight = 16;
constexpr int kDeviceRowsShown = 8;

// A hint shows "\r" as a line break.
std::wstring HintText(std::string_view text) {
  std::wstring w = Widen(text);
  std::wstring out;
  for (size_t i = 0; i < w.size(); ++i) {
    out += w[i];
    if (w[i] == L'\r' && (i + 1 >= w.size() || w[i + 1] != L'\n')) out += L'\n';
  }
  return out;
}

UniqueIcon LoadIconFile(const std::string& path, int size) {
  return UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
}

// The data folder without its trailing separator.
std::string WithoutTrailingSeparator(std::string folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

bool IsDependentPanel(int id) { return id == kPanelMeterDevice || id == kPanelIconDevice; }

// ImmGetVirtualKey, found at run time in the system's imm32.dll (loaded on
// every system with an input method; none means no IME and no 229).
int ImeOriginalKey(HWND window) {
  using GetVirtualKey = UINT(WINAPI*)(HWND);
  static const GetVirtualKey get = [] {
    HMODULE imm = GetModuleHandleW(L"imm32.dll");
    return imm ? reinterpret_cast<GetVirtualKey>(reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetVirtualKey")))
               : nullptr;
  }();
  return get ? static_cast<int>(get(window)) : 0;
}

}  // namespace

// The window class of the pages and panels: the notifications of their
// controls go to the form, and each paints its own background.
class SetteiContainer {
 public:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    auto* form = reinterpret_cast<TVolumeChangeSetteiForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, msg, wp, lp);
    try {
      switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_HSCROLL:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
          return form->OnContainerMessage(hwnd, msg, wp, lp);
        case WM_ERASEBKGND:
        case WM_PRINTCLIENT: {
          // Controls that draw their parent's background under them (group
          // boxes, check boxes) ask for it with WM_PRINTCLIENT.
          RECT r;
          GetClientRect(hwnd, &r);
          FillRect(reinterpret_cast<HDC>(wp), &r, form->ContainerBrush(hwnd));
          return msg == WM_ERASEBKGND ? 1 : 0;
        }
        default:
          break;
      }
    } catch (...) {
      return 0;  // dropped: the window keeps working
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
};

TVolumeChangeSetteiForm::TVolumeChangeSetteiForm() = default;
TVolumeChangeSetteiForm::~TVolumeChangeSetteiForm() = default;

const PageSettings& TVolumeChangeSetteiForm::pages() const {
  // Before its creation the window holds the design values.
  static const PageSettings kDesign;
  return session_ ? session_->values : kDesign;
}

HBRUSH TVolumeChangeSetteiForm::ContainerBrush(HWND container) const {
  const auto it = ids_.find(container);
  if (it != ids_.end() && IsDependentPanel(it->second)) {
    const std::optional<uint32_t> bg = DependentBackground(it->second, lastStates_);
    if (bg) return static_cast<HBRUSH>(*bg == kEnabledBackground ? whiteBrush_.get() : greyBrush_.get());
  }
  return GetSysColorBrush(COLOR_BTNFACE);
}

bool TVolumeChangeSetteiForm::Create(HINSTANCE instance, SetteiHost& host, HWND owner) {
  host_ = &host;
  instance_ = instance;
  storage_ = std::make_unique<FileSetteiStorage>(SystemFiles(), WithoutTrailingSeparator(host.DataFolder()),
                                                 host.DataFolder() + kSettingsFileName, UserLocaleDateTimeFormat());
  session_ = std::make_unique<SetteiSession>(host, *storage_);

  INITCOMMONCONTROLSEX icc{
      sizeof icc, ICC_TAB_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  if (!EnsureWindowClass(instance, kContainerClass, SetteiContainer::Proc)) return false;
  whiteBrush_.reset(CreateSolidBrush(kEnabledBackground));
  greyBrush_.reset(CreateSolidBrush(kDisabledBackground));

  if (!CreateForm(instance, L"TVolumeChangeSetteiForm", Widen(kSetteiCaption).c_str(),
                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW, owner)) {
    return false;
  }
  dpi_ = Dpi{WindowDpi(hwnd())};
  // The menu belongs to the window from here on and goes with it.
  UniqueMenu bar(CreateMenu());
  UniqueMenu help(CreatePopupMenu());
  AppendMenuW(help.get(), MF_STRING, kMenuHelp, L"ヘルプ(&H)");
  AppendMenuW(help.get(), MF_STRING, kMenuVersion, L"バージョン情報(&V)");
  AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(help.release()), L"ヘルプ(&H)");
  SetMenu(hwnd(), bar.release());
  // The program's own icon in the title bar (shared: the system keeps it).
  for (const WPARAM size : {WPARAM{ICON_SMALL}, WPARAM{ICON_BIG}}) {
    const int px = SystemMetricForDpi(size == ICON_SMALL ? SM_CXSMICON : SM_CXICON, dpi_.value);
    if (const HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, px, px, LR_SHARED)) {
      SendMessageW(hwnd(), WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
    }
  }
  SetWindowPos(hwnd(), nullptr, 0, 0, dpi_(kSetteiWidth), dpi_(kSetteiHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The values are there from the start (other parts read them at each
  // use); the pages, their fonts and lists only when the window first
  // opens: a program at rest never needs them.
  session_->Create();
  return true;
}

void TVolumeChangeSetteiForm::BuildControls() {
  if (built_ || !hwnd()) return;
  built_ = true;
  SetteiHost& host = *host_;
  MakeFont();
  CreateControls(instance_);

  // Creation: the hints, the four capture buttons, the values.
  for (int b = 0; b < schedule::kBands; ++b) {
    AddHint(Ctl(Band(b, kBandKakunin)), kCheckVolumeHint);
    for (int part : {kBandStartHour, kBandStartMinute, kBandEndHour, kBandEndMinute}) {
      AddHint(Ctl(Band(b, part)), kBandTimeHint);
    }
  }
  AddHint(Ctl(kBtnNormalVolumeKakunin), kCheckVolumeHint);
  for (int tag = 0; tag < kKeySlots; ++tag) AddHint(Ctl(ChangeButton(tag)), kChangeKeyHint);
  AddHint(Ctl(kTrackTrayWait), SecondsHint(500));
  AddHint(Ctl(kTrackWait), SecondsHint(0));
  for (int id : {int{kComboIconDevice}, int{kComboMeterDevice}}) AddHint(Ctl(id), "");

  ++filling_;
  // The visible-menu list: the popup menu's items with the tags 100..107.
  HWND list = Ctl(kListVisibleMenu);
  for (int k = 0; k < kVisibleMenuEntries; ++k) {
    const std::wstring caption = Widen(host.MenuCaption(100 + k).value_or(""));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = k;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    ListView_SetCheckState(list, k, TRUE);
  }
  FillControls();
  --filling_;
  ShowPage(SetteiPage::kMeter);
  RefreshStates();
  if (!face_.empty()) Form::SetFontFace(face_, nullptr);
}

void TVolumeChangeSetteiForm::SetFontFace(const std::wstring& face, const std::function<void()>& letMessagesRun) {
  face_ = face;
  if (built_) Form::SetFontFace(face, letMessagesRun);
}

void TVolumeChangeSetteiForm::CreateControls(HINSTANCE instance) {
  // The tab control holds the pages, so its strip is first in the tab order.
  // Five captions do not fit one row in this font: the tabs take two.
  tab_ = CreateWindowExW(WS_EX_CONTROLPARENT, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | TCS_MULTILINE, 0, 0, 0, 0,
                         hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTab)), instance, nullptr);
  SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  for (int p = 0; p < kSetteiPageCount; ++p) {
    const std::wstring caption = Widen(kPageCaptions[static_cast<size_t>(p)]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(tab_, TCM_INSERTITEMW, static_cast<WPARAM>(p), reinterpret_cast<LPARAM>(&item));
  }
  for (int p = 0; p < kSetteiPageCount; ++p) {
    pages_[static_cast<size_t>(p)] =
        CreateWindowExW(WS_EX_CONTROLPARENT, kContainerClass, L"", WS_CHILD, 0, 0, 0, 0, tab_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPage0 + p)), instance, this);
  }
  for (const ControlDesign& design : SetteiControls()) CreateControl(instance, design);

  const HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0,
                                  0, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOk)), instance, nullptr);
  const HWND cancel =
      CreateWindowExW(0, L"BUTTON", L"キャンセル", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                      hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancel)), instance, nullptr);
  for (HWND b : {ok, cancel}) SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  controls_[kOk] = ok;
  controls_[kCancel] = cancel;
  ids_[ok] = kOk;
  ids_[cancel] = kCancel;

  tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, instance,
                                 nullptr));
  SendMessageW(tooltip_.get(), TTM_SETDELAYTIME, TTDT_AUTOPOP, kHintShowMs);
  SendMessageW(tooltip_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  Layout();
}

void TVolumeChangeSetteiForm::MakeFont() {
  font_.reset(CreateFontW(-dpi_(kSetteiFontPixels), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          L"Tahoma"));
}

// A control's place at the window's DPI. The drop-down lists' windows are
// taller than the closed box: the list they open is part of them.
RECT TVolumeChangeSetteiForm::DesignRect(const ControlDesign& design) const {
  int h = dpi_(design.h);
  if (design.kind == ControlKind::kColourBox) {
    h += (static_cast<int>(StandardColours().size()) + 1) * dpi_(kColourItemHeight) + dpi_(4);
  } else if (design.kind == ControlKind::kDeviceList) {
    h += kDeviceRowsShown * dpi_(20) + dpi_(4);
  }
  const int x = dpi_(design.x), y = dpi_(design.y);
  return {x, y, x + dpi_(design.w), y + h};
}

void TVolumeChangeSetteiForm::Layout() {
  RECT client;
  GetClientRect(hwnd(), &client);
  const int cw = client.right;
  const int ch = client.bottom;
  const int margin = dpi_(kMargin);
  const int buttonW = dpi_(kButtonWidth);
  const int buttonH = dpi_(kButtonHeight);
  constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(tab_, nullptr, margin, margin, cw - 2 * margin, ch - 3 * margin - buttonH, kPlace);
  RECT display;
  GetClientRect(tab_, &display);
  SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  for (HWND page : pages_) {
    SetWindowPos(page, nullptr, display.left, display.top, display.right - display.left, display.bottom - display.top,
                 kPlace);
  }
  for (const ControlDesign& design : SetteiControls()) {
    const HWND w = Ctl(design.id);
    if (!w) continue;
    const RECT r = DesignRect(design);
    SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, kPlace);
    if (design.kind == ControlKind::kCheckList) {
      SendMessageW(w, LVM_SETCOLUMNWIDTH, 0, dpi_(design.w) - SystemMetricForDpi(SM_CXVSCROLL, dpi_.value) - dpi_(6));
    }
  }
  const int by = ch - margin - buttonH;
  SetWindowPos(Ctl(kOk), nullptr, cw - margin - 2 * buttonW - dpi_(8), by, buttonW, buttonH, kPlace);
  SetWindowPos(Ctl(kCancel), nullptr, cw - margin - buttonW, by, buttonW, buttonH, kPlace);
  SendMessageW(tooltip_.get(), TTM_SETMAXTIPWIDTH, 0, dpi_(400));
}

void TVolumeChangeSetteiForm::OnDpiChanged(int dpi, const RECT& suggested) {
  if (dpi <= 0 || dpi == dpi_.value) return;
  dpi_ = Dpi{dpi};
  if (!built_) {
    // Nothing is laid out yet: the pages are built at this DPI.
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  UniqueFont old = std::move(font_);
  MakeFont();
  // Every control takes the new font before the old one goes.
  const auto setFont = [this](HWND w) { SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE); };
  setFont(tab_);
  setFont(tooltip_.get());
  for (const auto& [id, w] : controls_) setFont(w);
  // An owner-drawn list measured its items once, at creation: its closed
  // face and its entries are given their height at the new DPI.
  for (const ControlDesign& design : SetteiControls()) {
    if (design.kind != ControlKind::kColourBox) continue;
    SendMessageW(Ctl(design.id), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), dpi_(kColourItemHeight));
    SendMessageW(Ctl(design.id), CB_SETITEMHEIGHT, 0, dpi_(kColourItemHeight));
  }
  // The controls' fonts in the UI face again, at the new size.
  if (!face_.empty()) Form::SetFontFace(face_, nullptr);
  SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
  PlaceStepField();
  // Device pictures and the preview at the new size.
  listedDevices_.clear();
  if (session_->useEndpoint()) FillDeviceLists();
  // Only a preview already drawn is drawn again: one never drawn has
  // nothing to resize, and its picture may be missing.
  if (preview_) Preview();
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

HWND TVolumeChangeSetteiForm::CreateControl(HINSTANCE instance, const ControlDesign& design) {
  const HWND parent = design.parent ? Ctl(design.parent) : pages_[static_cast<size_t>(design.page)];
  const std::wstring caption = Widen(design.caption);
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  const wchar_t* cls = L"STATIC";
  if (design.flags & kGroupStart) style |= WS_GROUP;
  switch (design.kind) {
    case ControlKind::kGroup:
      cls = L"BUTTON";
      style |= BS_GROUPBOX;
      break;
    case ControlKind::kPanel:
      // No WS_CLIPCHILDREN here: a group box does not paint its inside,
      // its parent does.
      cls = kContainerClass;
      exStyle |= WS_EX_CONTROLPARENT;
      break;
    case ControlKind::kLabel:
      style |= SS_NOPREFIX | (design.flags & kRightText   ? SS_RIGHT
                              : design.flags & kMultiLine ? SS_LEFT
                                                          : SS_LEFTNOWORDWRAP);
      break;
    case ControlKind::kCheck:
      cls = L"BUTTON";
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::kRadio:
      cls = L"BUTTON";
      style |= BS_AUTORADIOBUTTON;
      if (design.flags & kGroupStart) style |= WS_TABSTOP;
      break;
    case ControlKind::kEdit:
      cls = L"EDIT";
      style |= WS_TABSTOP | ES_AUTOHSCROLL;
      exStyle |= WS_EX_CLIENTEDGE;
      if (design.flags & kDigitsOnly) style |= ES_NUMBER | ES_RIGHT;
      break;
    case ControlKind::kButton:
      cls = L"BUTTON";
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::kColourBox:
      cls = L"COMBOBOX";
      style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL | WS_TABSTOP;
      break;
    case ControlKind::kDeviceList:
      cls = WC_COMBOBOXEXW;
      style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      break;
    case ControlKind::kTrackBar:
      cls = TRACKBAR_CLASSW;
      style |= TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP;
      break;
    case ControlKind::kCheckList:
      cls = WC_LISTVIEWW;
      style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::kIcon:
      style |= SS_ICON | SS_CENTERIMAGE;
      break;
  }
  // Created at its place at this DPI: an owner-drawn box asks for its item
  // heights while it is made (Layout places everything again later).
  const RECT r = DesignRect(design);
  const HWND w = CreateWindowExW(exStyle, cls, caption.c_str(), style, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)),
                                 instance, design.kind == ControlKind::kPanel ? this : nullptr);
  if (!w) return nullptr;
  controls_[design.id] = w;
  ids_[w] = design.id;
  SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  switch (design.kind) {
    case ControlKind::kColourBox: {
      SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(kCustomColourCaption).c_str()));
      for (const NamedColour& c : StandardColours()) {
        const LRESULT i = SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(c.name).c_str()));
        SendMessageW(w, CB_SETITEMDATA, static_cast<WPARAM>(i), c.colour);
      }
      SetColour(design.id, 0x000000);
      break;
    }
    case ControlKind::kDeviceList:
      SendMessageW(w, CB_SETMINVISIBLE, kDeviceRowsShown, 0);
      break;
    case ControlKind::kTrackBar: {
      const bool band = design.page == static_cast<int>(SetteiPage::kSchedule);
      const int max = design.id == kTrackTrayWait ? 2000 : 1000;
      SendMessageW(w, TBM_SETRANGEMIN, FALSE, band ? schedule::kOffsetMin : 0);
      SendMessageW(w, TBM_SETRANGEMAX, FALSE, band ? schedule::kOffsetMax : max);
      SendMessageW(w, TBM_SETTICFREQ, band ? 10 : 100, 0);
      SendMessageW(w, TBM_SETLINESIZE, 0, band ? 1 : 10);
      SendMessageW(w, TBM_SETPAGESIZE, 0, band ? 10 : 100);
      break;
    }
    case ControlKind::kCheckList: {
      SendMessageW(w, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
                   LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
      LVCOLUMNW col{};
      col.mask = LVCF_WIDTH;
      col.cx = dpi_(design.w) - SystemMetricForDpi(SM_CXVSCROLL, dpi_.value) - dpi_(6);
      SendMessageW(w, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&col));
      break;
    }
    default:
      break;
  }
  return w;
}

HWND TVolumeChangeSetteiForm::Ctl(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

HWND TVolumeChangeSetteiForm::Control(int id) {
  BuildControls();
  return Ctl(id);
}

void TVolumeChangeSetteiForm::AddHint(HWND control, std::string_view text) {
  if (!control || !tooltip_) return;
  const std::wstring w = HintText(text);
  // A device list is a frame around a combo box: the pointer rests on the
  // inner one. Only a device list is asked for it: to a slider the same
  // message number sets its range.
  std::vector<HWND> tools = {control};
  if (ids_.count(control) && FindControl(ids_.at(control))->kind == ControlKind::kDeviceList) {
    if (const HWND inner = reinterpret_cast<HWND>(SendMessageW(control, CBEM_GETCOMBOCONTROL, 0, 0))) {
      tools.push_back(inner);
    }
  }
  for (HWND tool : tools) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = GetParent(tool);
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = const_cast<wchar_t*>(w.c_str());
    SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

void TVolumeChangeSetteiForm::SetHint(HWND control, std::string_view text) {
  if (!control || !tooltip_) return;
  const std::wstring w = HintText(text);
  std::vector<HWND> tools = {control};
  if (ids_.count(control) && FindControl(ids_.at(control))->kind == ControlKind::kDeviceList) {
    tools.push_back(reinterpret_cast<HWND>(SendMessageW(control, CBEM_GETCOMBOCONTROL, 0, 0)));
  }
  for (HWND tool : tools) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = GetParent(tool);
    ti.uId = reinterpret_cast<UINT_PTR>(tool);
    ti.lpszText = const_cast<wchar_t*>(w.c_str());
    SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

// --- values of controls ----------------------------------------------------------

std::string TVolumeChangeSetteiForm::Text(int id) const {
  const HWND w = Ctl(id);
  if (!w) return {};
  std::wstring buf(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  buf.resize(static_cast<size_t>(GetWindowTextW(w, buf.data(), static_cast<int>(buf.size()))));
  return Narrow(buf);
}

void TVolumeChangeSetteiForm::SetText(int id, std::string_view text) {
  if (const HWND w = Ctl(id); w && Text(id) != text) SetWindowTextW(w, Widen(text).c_str());
}

bool TVolumeChangeSetteiForm::Checked(int id) const { return SendMessageW(Ctl(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The setters leave a control alone when it already shows the value: every
// opening fills the whole window, and each real change costs a redraw.
void TVolumeChangeSetteiForm::SetChecked(int id, bool on) {
  if (Checked(id) != on) SendMessageW(Ctl(id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TVolumeChangeSetteiForm::Selection(int id) const {
  return static_cast<int>(SendMessageW(Ctl(id), CB_GETCURSEL, 0, 0));
}

void TVolumeChangeSetteiForm::SetSelection(int id, int index) {
  SendMessageW(Ctl(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TVolumeChangeSetteiForm::TrackPos(int id) const {
  return static_cast<int>(SendMessageW(Ctl(id), TBM_GETPOS, 0, 0));
}

void TVolumeChangeSetteiForm::SetTrack(int id, int pos) {
  if (TrackPos(id) != pos) SendMessageW(Ctl(id), TBM_SETPOS, TRUE, pos);
}

uint32_t TVolumeChangeSetteiForm::Colour(int id) const {
  const auto it = colours_.find(id);
  return it == colours_.end() ? 0 : it->second;
}

void TVolumeChangeSetteiForm::SetColour(int id, uint32_t colour) {
  const HWND w = Ctl(id);
  const int entry = ColourEntry(colour);
  // The box may show another entry than the colour it holds (a choice whose
  // colour dialog was cancelled): only a box that shows it is left alone.
  const auto known = colours_.find(id);
  if (known != colours_.end() && known->second == colour && SendMessageW(w, CB_GETCURSEL, 0, 0) == entry &&
      (entry != 0 || static_cast<uint32_t>(SendMessageW(w, CB_GETITEMDATA, 0, 0)) == colour)) {
    return;
  }
  colours_[id] = colour;
  if (entry == 0) SendMessageW(w, CB_SETITEMDATA, 0, colour);
  SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  InvalidateRect(w, nullptr, TRUE);
}

void TVolumeChangeSetteiForm::SetRadio(int first, int count, int index) {
  for (int i = 0; i < count; ++i) SetChecked(first + i, i == index);
}

// --- filling ------------------------------------------------------------------------

void TVolumeChangeSetteiForm::FillControls() {
  ++filling_;
  const SetteiSession& s = *session_;
  const PageSettings& v = s.values;
  SetRadio(kRadioPosition0, 5, v.Position);
  SetChecked(kCheckAllwaysShow, v.AllwaysShow);
  SetText(kEditShowTime, s.showTimeText);
  SetColour(kColorBoxVolumeBar, v.MeterColor);
  SetRadio(kRadioColourSource0, 3, v.ColorByIconColor);
  SetChecked(kCheckMeterByDevice, v.ChangeColorByDevice);
  SetChecked(kCheckMainKeyOnly, v.Keyboard.MainKeyOnly);
  SetChecked(kCheckPointing, v.IsShowByPointIcon);
  SetTrack(kTrackTrayWait, v.TrayIconWaitTime);
  SetHint(Ctl(kTrackTrayWait), SecondsHint(v.TrayIconWaitTime));
  SetChecked(kCheckNoBox, v.IsNoShowPanelSetVolume);

  SetColour(kColorBoxIconText, v.Icon.Text);
  SetColour(kColorBoxIconBack, v.Icon.Back);
  SetChecked(kCheckUseDeviceIcon, v.UseDefAudioDeviceIcon);
  SetChecked(kCheckIconByDevice, v.ChangeIconColorByDevice);

  SetChecked(kCheckNoChangeByKey, v.NoChangeByKey);
  SetChecked(kCheckNoChangeByMouse, v.NoChangeByMouse);
  for (int tag = 0; tag < kKeySlots; ++tag) {
    const KeyBinding& k = session_->Binding(tag);
    SetText(KeyNameField(tag), k.name);
    SetText(KeyCodeLabel(tag), std::to_string(k.code));
  }
  SetText(kEditStep, s.stepText);
  SetTrack(kTrackWait, v.VolumeChangeWaitTime);
  SetHint(Ctl(kTrackWait), SecondsHint(v.VolumeChangeWaitTime));
  SetChecked(kCheckWheelHoko, v.WheelReverse);

  SetChecked(kCheckVolumeSchedule, v.ScheduleUse);
  FillScheduleDay();
  SetText(kEditNormalVolume, s.normalVolumeText);
  FillDeviceSchedule();

  const HWND list = Ctl(kListVisibleMenu);
  for (int k = 0; k < kVisibleMenuEntries; ++k) {
    ListView_SetCheckState(list, k, v.VisibleMenuItems[static_cast<size_t>(k)] ? TRUE : FALSE);
  }
  const HWND devices = Ctl(kListDevices);
  for (size_t i = 0; i < s.WorkingProfiles.size(); ++i) {
    ListView_SetCheckState(devices, static_cast<int>(i), s.WorkingProfiles[i].IsShowOnMenu ? TRUE : FALSE);
  }
  --filling_;
}

void TVolumeChangeSetteiForm::FillScheduleDay() {
  ++filling_;
  SetRadio(kRadioDay0, schedule::kGroups, session_->schedule.displayed());
  for (int b = 0; b < schedule::kBands; ++b) {
    const schedule::BandFields& f = session_->dayFields[static_cast<size_t>(b)];
    SetText(Band(b, kBandStartHour), f.startHour);
    SetText(Band(b, kBandStartMinute), f.startMinute);
    SetText(Band(b, kBandEndHour), f.endHour);
    SetText(Band(b, kBandEndMinute), f.endMinute);
    SetTrack(Band(b, kBandTrack), f.slider);
    SetText(Band(b, kBandLabel), schedule::SliderLabel(f.slider));
  }
  --filling_;
}

void TVolumeChangeSetteiForm::FillDeviceSchedule() {
  ++filling_;
  const schedule::DeviceScheduleView& d = session_->deviceSchedule;
  SetChecked(kCheckDeviceChange, d.change);
  SetText(kEditDeviceHour, d.hour);
  SetText(kEditDeviceMinute, d.minute);
  --filling_;
}

void TVolumeChangeSetteiForm::FillDeviceLists() {
  ++filling_;
  const SetteiSession& s = *session_;
  const std::vector<TDefDeviceTrayIconData>& profiles = s.WorkingProfiles;
  // The lists are built again only when the devices changed since the last
  // opening; building them is the dearest part of an opening.
  std::vector<std::pair<std::string, const void*>> shown;
  for (const TDefDeviceTrayIconData& p : profiles) shown.emplace_back(p.DeviceName, p.DeviceIcon.get());
  if (shown != listedDevices_) {
    listedDevices_ = std::move(shown);
    BuildDeviceLists();
  }
  SetSelection(kComboNormalDevice, s.normal.device());
  SetSelection(kComboScheduleDevice, s.scheduleDevice);
  SetSelection(kComboIconDevice, s.iconDevice);
  SetSelection(kComboMeterDevice, s.meterDevice);
  if (s.iconDevice >= 0) {
    const TDefDeviceTrayIconData& p = profiles[static_cast<size_t>(s.iconDevice)];
    SetColour(kColorBoxIconDeviceText, p.TextColor);
    SetColour(kColorBoxIconDeviceBack, p.BackColor);
    SetHint(Ctl(kComboIconDevice), p.DeviceName);
  }
  if (s.meterDevice >= 0) {
    const TDefDeviceTrayIconData& p = profiles[static_cast<size_t>(s.meterDevice)];
    SetColour(kColorBoxMeterDevice, p.VolumeBarColor);
    SetHint(Ctl(kComboMeterDevice), p.DeviceName);
  }
  const HWND list = Ctl(kListDevices);
  for (size_t i = 0; i < profiles.size(); ++i) {
    ListView_SetCheckState(list, static_cast<int>(i), profiles[i].IsShowOnMenu ? TRUE : FALSE);
  }
  --filling_;
}

void TVolumeChangeSetteiForm::BuildDeviceLists() {
  const std::vector<TDefDeviceTrayIconData>& profiles = session_->WorkingProfiles;
  const int small = SmallIconSize(dpi_.value);
  // The old picture list goes only once the lists hold the new one.
  UniqueImageList images(ImageList_Create(small, small, ILC_COLOR32 | ILC_MASK, static_cast<int>(profiles.size()), 1));
  const UniqueIcon speaker = LoadIconFile(host_->ExeFolder() + "Data\\speaker2.ico", small);
  for (const TDefDeviceTrayIconData& p : profiles) {
    const HICON icon = p.DeviceIcon ? devices::IconHandle(p.DeviceIcon) : speaker.get();
    if (ImageList_ReplaceIcon(images.get(), -1, icon) < 0) ImageList_ReplaceIcon(images.get(), -1, speaker.get());
  }
  for (int id : {int{kComboIconDevice}, int{kComboMeterDevice}, int{kComboNormalDevice}, int{kComboScheduleDevice}}) {
    const HWND combo = Ctl(id);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    for (size_t i = 0; i < profiles.size(); ++i) {
      const std::wstring name = Widen(profiles[i].DeviceName);
      COMBOBOXEXITEMW item{};
      item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
      item.iItem = static_cast<INT_PTR>(i);
      item.pszText = const_cast<wchar_t*>(name.c_str());
      item.iImage = item.iSelectedImage = static_cast<int>(i);
      SendMessageW(combo, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    // Dropped down, the list shows its entries, at most eight rows.
    const int rows = std::clamp(static_cast<int>(profiles.size()), 1, kDeviceRowsShown);
    const int row = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    RECT r;
    GetWindowRect(combo, &r);
    const int closed = dpi_(FindControl(id)->h);
    SetWindowPos(combo, nullptr, 0, 0, r.right - r.left, closed + rows * std::max(row, dpi_(16)) + dpi_(4),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(combo, CB_SETMINVISIBLE, static_cast<WPARAM>(rows), 0);
    // The combo box inside takes its dropped height from its own size.
    if (const HWND inner = reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETCOMBOCONTROL, 0, 0))) {
      SendMessageW(inner, CB_SETMINVISIBLE, static_cast<WPARAM>(rows), 0);
      RECT ir;
      GetWindowRect(inner, &ir);
      SetWindowPos(inner, nullptr, 0, 0, ir.right - ir.left, closed + rows * std::max(row, dpi_(16)) + dpi_(4),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  const HWND list = Ctl(kListDevices);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < profiles.size(); ++i) {
    const std::wstring name = Widen(profiles[i].DeviceName);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(name.c_str());
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
  deviceImages_ = std::move(images);
}

void TVolumeChangeSetteiForm::RefreshStates() {
  StateInputs in;
  in.dependent = session_->States();
  in.useEndpoint = session_->useEndpoint();
  in.scheduleUse = session_->values.ScheduleUse;
  in.captureSlot = session_->capture.Active();
  lastStates_ = in;
  auto apply = [&](int id) {
    const HWND w = Ctl(id);
    if (!w) return;
    const ControlState st = StateOf(id, in);
    const auto it = shown_.find(id);
    if (it != shown_.end() && it->second == st) return;
    shown_[id] = st;
    EnableWindow(w, st.enabled);
    ShowWindow(w, st.visible ? SW_SHOWNA : SW_HIDE);
  };
  for (const ControlDesign& design : SetteiControls()) apply(design.id);
  apply(kOk);
  // The white or grey of the dependent panels and pickers.
  for (int id :
       {int{kPanelMeterDevice}, int{kPanelIconDevice}, int{kColorBoxVolumeBar}, int{kColorBoxMeterDevice},
        int{kColorBoxIconText}, int{kColorBoxIconBack}, int{kColorBoxIconDeviceText}, int{kColorBoxIconDeviceBack}}) {
    InvalidateRect(Ctl(id), nullptr, TRUE);
  }
}

void TVolumeChangeSetteiForm::PlaceStepField() {
  // The field follows its label directly, whatever width the label's text
  // takes in the font of this system.
  const ControlDesign* group = FindControl(kGroupKeyboard);
  const std::wstring caption = Widen(FindControl(kLabelStep)->caption);
  SIZE size{};
  {
    WindowDc dc(Ctl(kLabelStep));
    SelectGuard font(dc.get(), font_.get());
    GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
  }
  const ControlDesign* label = FindControl(kLabelStep);
  const ControlDesign* edit = FindControl(kEditStep);
  const ControlDesign* note = FindControl(kLabelStepNote);
  const int left = size.cx + dpi_(group->x) + dpi_(2);
  constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(Ctl(kLabelStep), nullptr, dpi_(group->x), dpi_(label->y), size.cx + 1, dpi_(label->h), kPlace);
  SetWindowPos(Ctl(kEditStep), nullptr, left, dpi_(edit->y), dpi_(edit->w), dpi_(edit->h), kPlace);
  SetWindowPos(Ctl(kLabelStepNote), nullptr, left + dpi_(edit->w) + dpi_(6), dpi_(note->y), dpi_(note->w),
               dpi_(note->h), kPlace);
}

void TVolumeChangeSetteiForm::ShowPageOnly(int page) {
  for (int p = 0; p < kSetteiPageCount; ++p) {
    ShowWindow(pages_[static_cast<size_t>(p)], p == page ? SW_SHOWNA : SW_HIDE);
  }
}

void TVolumeChangeSetteiForm::ShowIconFile(const std::string& path) {
  UniqueIcon icon = LoadIconFile(path, dpi_(32));
  if (!icon) return;
  SendMessageW(Ctl(kIconPreview), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  preview_ = std::move(icon);
}

void TVolumeChangeSetteiForm::Preview() {
  const SetteiSession& s = *session_;
  const std::string speakerPath = host_->ExeFolder() + "Data\\speaker2.ico";
  UniqueIcon speaker;
  HICON base = nullptr;
  if (s.useEndpoint() && s.iconDevice >= 0 && s.iconDevice < static_cast<int>(s.WorkingProfiles.size())) {
    base = devices::IconHandle(s.WorkingProfiles[static_cast<size_t>(s.iconDevice)].DeviceIcon);
  }
  if (!base) {
    speaker = LoadIconFile(speakerPath, dpi_(32));
    base = speaker.get();
  }
  const IconColours colours = s.PreviewColours();
  tray::RenderInputs in;
  in.baseImage = base;
  in.useDeviceIcon = s.values.UseDefAudioDeviceIcon;
  in.speakerIconPath = speakerPath;
  in.number = host_->LastVolume();
  in.backColor = colours.Back;
  in.textColor = colours.Text;
  in.showMessage = [this](std::string_view text) { ShowMessage(text); };
  // The preview's own size at the window's DPI.
  UniqueIcon icon = tray::RenderVolumeIcon(in, nullptr, dpi_(tray::kIconSize));
  if (!icon) return;
  SendMessageW(Ctl(kIconPreview), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  preview_ = std::move(icon);
}

// --- opening and closing --------------------------------------------------------------

void TVolumeChangeSetteiForm::ShowModal() {
  if (visible()) {
    SetForegroundWindow(hwnd());
    return;
  }
  Open();
  RECT r;
  GetWindowRect(hwnd(), &r);
  const int w = r.right - r.left;
  const int h = r.bottom - r.top;
  SetWindowPos(hwnd(), HWND_TOP, (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0,
               SWP_NOSIZE);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  // Alt is watched only while the window can capture keys: a resident
  // program wakes no more often than it must.
  SetTimer(hwnd(), kAltTimerId, kAltTimerMs, nullptr);
  if (const HWND first = GetNextDlgTabItem(hwnd(), nullptr, FALSE)) SetFocus(first);
  modal_ = true;
  while (visible()) {
    if (!volmaru::PumpMessagesFor(50)) break;
  }
  modal_ = false;
}

void TVolumeChangeSetteiForm::Open() {
  BuildControls();
  session_->Open();
  ++filling_;
  FillControls();
  if (session_->useEndpoint()) FillDeviceLists();
  for (int tag = 0; tag < kKeySlots; ++tag) {
    SetText(ChangeButton(tag), kChangeCaption);
    SetHint(Ctl(ChangeButton(tag)), kChangeKeyHint);
  }
  --filling_;
  PlaceStepField();
  const std::string volumeIco = host_->DataFolder() + "Volume.ico";
  if (FileExists(volumeIco)) ShowIconFile(volumeIco);
  ShowPage(SetteiPage::kMeter);
  RefreshStates();
}

void TVolumeChangeSetteiForm::Hide() {
  ShowWindow(hwnd(), SW_HIDE);
  KillTimer(hwnd(), kAltTimerId);
  session_->OnClose();
  ++filling_;
  for (int tag = 0; tag < kKeySlots; ++tag) {
    SetText(ChangeButton(tag), kChangeCaption);
    SetHint(Ctl(ChangeButton(tag)), kChangeKeyHint);
  }
  --filling_;
  RefreshStates();
}

void TVolumeChangeSetteiForm::MenuSwitchToggled(bool noChangeByKey, bool checked) {
  session_->MenuSwitchToggled(noChangeByKey, checked);
  if (!built_) return;  // the pages show the session's values when built
  ++filling_;
  SetChecked(noChangeByKey ? kCheckNoChangeByKey : kCheckNoChangeByMouse, checked);
  --filling_;
  RefreshStates();
}

void TVolumeChangeSetteiForm::AllowCloseWithoutQuestion() {
  session_->HasUnsavedChanges = false;
  session_->CloseAllowed = true;
}

void TVolumeChangeSetteiForm::OnOk() {
  const SetteiSession::OkResult r = session_->Ok(*this);
  if (r == SetteiSession::OkResult::kClosed || r == SetteiSession::OkResult::kSaved) {
    Hide();
    return;
  }
  // A refused or failed OK keeps everything as the user left it; a stored
  // normal volume may have changed the field's device only.
  RefreshStates();
}

void TVolumeChangeSetteiForm::OnCancel() {
  session_->Cancel();
  FillControls();
  Hide();
}

// --- SetteiUi and KeyNamePort ---------------------------------------------------------

void TVolumeChangeSetteiForm::ShowMessage(std::string_view text) {
  ShowMessageBox(visible() ? hwnd() : nullptr, text, kQuestionTitle, MB_OK);
}

bool TVolumeChangeSetteiForm::AskYesNo(std::string_view text) {
  return ShowMessageBox(visible() ? hwnd() : nullptr, text, kQuestionTitle, MB_YESNO | MB_ICONQUESTION, IDNO) == IDYES;
}

void TVolumeChangeSetteiForm::ShowPage(SetteiPage page) {
  SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowPageOnly(static_cast<int>(page));
}

void TVolumeChangeSetteiForm::Focus(const FocusTarget& target) {
  int id = kNone;
  switch (target.field) {
    case SetteiField::kStep:
      id = kEditStep;
      break;
    case SetteiField::kShowTime:
      id = kEditShowTime;
      break;
    case SetteiField::kNormalVolume:
      id = kEditNormalVolume;
      break;
    case SetteiField::kBandTime: {
      static constexpr int kParts[] = {kBandStartHour, kBandStartMinute, kBandEndHour, kBandEndMinute};
      if (target.band >= 0 && target.part >= 0 && target.part < 4) id = Band(target.band, kParts[target.part]);
      break;
    }
  }
  if (const HWND w = Ctl(id)) {
    SetFocus(w);
    SendMessageW(w, EM_SETSEL, 0, -1);
  }
}

unsigned TVolumeChangeSetteiForm::ScanCode(int vk) { return MapVirtualKeyW(static_cast<UINT>(vk), 0); }

std::string TVolumeChangeSetteiForm::KeyNameText(uint32_t param) {
  wchar_t buf[256] = {};
  const int n = GetKeyNameTextW(static_cast<LONG>(param), buf, 256);
  return Narrow(std::wstring_view(buf, n > 0 ? static_cast<size_t>(n) : 0));
}

// --- key capture ---------------------------------------------------------------------

void TVolumeChangeSetteiForm::OnKeyButton(int tag) {
  const KeyCapture::Click click = session_->ToggleCapture(tag);
  ++filling_;
  if (click == KeyCapture::Click::kStarted) {
    SetText(ChangeButton(tag), kConfirmCaption);
    SetHint(Ctl(ChangeButton(tag)), kConfirmKeyHint);
  } else if (click == KeyCapture::Click::kEnded) {
    SetText(ChangeButton(tag), kChangeCaption);
    SetHint(Ctl(ChangeButton(tag)), kChangeKeyHint);
  }
  --filling_;
  RefreshStates();
}

void TVolumeChangeSetteiForm::OnAltTimer() {
  if (!visible() || !session_->capture.Any() || !(GetKeyState(VK_MENU) & 0x8000)) return;
  const int slot = session_->capture.Active();
  session_->CaptureKey(kVkMenu, *this);
  ++filling_;
  SetText(KeyCodeLabel(slot), std::to_string(kVkMenu));
  SetText(KeyNameField(slot), session_->Binding(slot).name);
  --filling_;
}

bool TVolumeChangeSetteiForm::WheelBlocked(HWND target) const {
  for (HWND w = target; w; w = GetParent(w)) {
    const auto it = ids_.find(w);
    if (it == ids_.end()) continue;
    const int id = it->second;
    const bool listed = id == kColorBoxVolumeBar || id == kColorBoxIconText || id == kColorBoxIconBack ||
                        id == kColorBoxIconDeviceText || id == kColorBoxIconDeviceBack || id == kComboIconDevice;
    return listed && !SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0);
  }
  return false;
}

bool TVolumeChangeSetteiForm::PreTranslate(MSG& msg) noexcept {
  try {
    if (!hwnd() || !visible()) return false;
    if (session_->capture.Any()) {
      // Every key goes to the slot, whatever window it was meant for; the
      // system keys too, so that Alt cannot open the menu meanwhile (Alt
      // itself is taken by the timer).
      if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        // Asked before the message is translated: afterwards the IME no
        // longer knows the key behind VK_PROCESSKEY.
        const int original = msg.wParam == VK_PROCESSKEY ? ImeOriginalKey(msg.hwnd) : 0;
        const std::optional<int> key = CapturedKeyCode(static_cast<int>(msg.wParam), original);
        if (key && *key != VK_MENU) {
          const int vk = *key;
          const int slot = session_->capture.Active();
          session_->CaptureKey(vk, *this);
          ++filling_;
          SetText(KeyCodeLabel(slot), std::to_string(vk));
          SetText(KeyNameField(slot), session_->Binding(slot).name);
          --filling_;
        }
        return true;
      }
      if (msg.message == WM_SYSKEYUP || msg.message == WM_SYSCHAR) return true;
    }
    if (msg.message == WM_MOUSEWHEEL && WheelBlocked(msg.hwnd)) return true;
    if (msg.message == WM_KEYUP && (msg.hwnd == Ctl(kEditDeviceHour) || msg.hwnd == Ctl(kEditDeviceMinute))) {
      PostMessageW(hwnd(), kMsgDeviceTimeReleased, 0, 0);
    }
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && (GetKeyState(VK_CONTROL) & 0x8000) &&
        IsChild(hwnd(), msg.hwnd)) {
      const int count = kSetteiPageCount;
      const int cur = static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
      const int step = (GetKeyState(VK_SHIFT) & 0x8000) ? count - 1 : 1;
      SendMessageW(tab_, TCM_SETCURFOCUS, static_cast<WPARAM>((cur + step) % count), 0);
      return true;
    }
    if (msg.hwnd == hwnd() || IsChild(hwnd(), msg.hwnd)) return IsDialogMessageW(hwnd(), &msg) != FALSE;
    return false;
  } catch (...) {
    return false;
  }
}

// --- messages ---------------------------------------------------------------------------

HBRUSH TVolumeChangeSetteiForm::ControlColour(HWND control, HDC dc) {
  const auto it = ids_.find(control);
  if (it == ids_.end()) return nullptr;
  const ControlDesign* design = FindControl(it->second);
  if (!design) return nullptr;
  if (design->flags & kRedText) {
    SetTextColor(dc, RGB(255, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  if (design->parent && IsDependentPanel(design->parent)) {
    const std::optional<uint32_t> bg = DependentBackground(design->parent, lastStates_);
    if (bg) {
      SetBkColor(dc, *bg);
      SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      return static_cast<HBRUSH>(*bg == kEnabledBackground ? whiteBrush_.get() : greyBrush_.get());
    }
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return GetSysColorBrush(COLOR_BTNFACE);
}

void TVolumeChangeSetteiForm::DrawColourItem(const DRAWITEMSTRUCT& d) {
  const auto it = ids_.find(d.hwndItem);
  const int id = it == ids_.end() ? 0 : it->second;
  const HDC dc = d.hDC;
  RECT r = d.rcItem;
  const bool face = (d.itemState & ODS_COMBOBOXEDIT) != 0;
  const bool selected = (d.itemState & ODS_SELECTED) != 0 && !face;
  COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  if (face) {
    if (const std::optional<uint32_t> bg = DependentBackground(id, lastStates_)) back = *bg;
  }
  UniqueGdiObject backBrush(CreateSolidBrush(back));
  FillRect(dc, &r, static_cast<HBRUSH>(backBrush.get()));
  if (d.itemID == static_cast<UINT>(-1)) return;
  const auto colour = static_cast<COLORREF>(SendMessageW(d.hwndItem, CB_GETITEMDATA, static_cast<WPARAM>(d.itemID), 0));
  RECT swatch{r.left + dpi_(2), r.top + dpi_(2), r.left + dpi_(18), r.bottom - dpi_(2)};
  UniqueGdiObject swatchBrush(CreateSolidBrush(colour));
  FillRect(dc, &swatch, static_cast<HBRUSH>(swatchBrush.get()));
  FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const std::wstring name =
      d.itemID == 0 ? Widen(kCustomColourCaption) : Widen(StandardColours()[static_cast<size_t>(d.itemID) - 1].name);
  SetBkMode(dc, TRANSPARENT);
  const bool enabled = IsWindowEnabled(d.hwndItem) != FALSE;
  SetTextColor(dc, GetSysColor(selected   ? COLOR_HIGHLIGHTTEXT
                               : !enabled ? (back == kDisabledBackground ? COLOR_BTNHIGHLIGHT : COLOR_GRAYTEXT)
                                          : COLOR_WINDOWTEXT));
  RECT text{r.left + dpi_(24), r.top, r.right - dpi_(2), r.bottom};
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if ((d.itemState & ODS_FOCUS) && !face) DrawFocusRect(dc, &r);
}

LRESULT TVolumeChangeSetteiForm::OnContainerMessage(HWND container, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lp));
      return 0;
    case WM_HSCROLL:
      if (lp) OnScroll(reinterpret_cast<HWND>(lp));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (const HBRUSH b = ControlColour(reinterpret_cast<HWND>(lp), reinterpret_cast<HDC>(wp))) {
        return reinterpret_cast<LRESULT>(b);
      }
      return DefWindowProcW(container, msg, wp, lp);
    case WM_MEASUREITEM: {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      if (m->CtlType == ODT_COMBOBOX) m->itemHeight = static_cast<UINT>(dpi_(kColourItemHeight));
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d->CtlType == ODT_COMBOBOX) DrawColourItem(*d);
      return TRUE;
    }
    default:
      return DefWindowProcW(container, msg, wp, lp);
  }
}

void TVolumeChangeSetteiForm::OnColourPicked(int id) {
  const HWND w = Ctl(id);
  const int entry = static_cast<int>(SendMessageW(w, CB_GETCURSEL, 0, 0));
  if (entry < 0) return;
  uint32_t colour = static_cast<uint32_t>(SendMessageW(w, CB_GETITEMDATA, static_cast<WPARAM>(entry), 0));
  if (entry == 0) {
    // The custom entry asks the system's colour dialog.
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = hwnd();
    cc.rgbResult = Colour(id);
    cc.lpCustColors = customColours_.data();
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    // comdlg32 (and the printing libraries it brings) is loaded only now.
    using Choose = BOOL(WINAPI*)(CHOOSECOLORW*);
    static const auto choose = SystemFunction<Choose>(L"comdlg32.dll", "ChooseColorW");
    if (!choose || !choose(&cc)) {
      SetColour(id, Colour(id));  // the choice goes back
      return;
    }
    colour = cc.rgbResult;
  }
  if (colour == Colour(id) && entry != 0) return;
  SetColour(id, colour);
  SetteiSession& s = *session_;
  switch (id) {
    case kColorBoxVolumeBar:
      s.values.MeterColor = colour;
      s.Changed();
      break;
    case kColorBoxMeterDevice:
      s.MeterDeviceColourChanged(colour);
      break;
    case kColorBoxIconText:
      s.values.Icon.Text = colour;
      s.Changed();
      Preview();
      break;
    case kColorBoxIconBack:
      s.values.Icon.Back = colour;
      s.Changed();
      Preview();
      break;
    case kColorBoxIconDeviceText:
    case kColorBoxIconDeviceBack:
      s.IconDeviceColoursChanged(Colour(kColorBoxIconDeviceText), Colour(kColorBoxIconDeviceBack));
      Preview();
      break;
    default:
      break;
  }
}

void TVolumeChangeSetteiForm::OnDaySelected(int group) {
  if (group == session_->schedule.displayed()) return;
  const auto r = session_->SelectDay(group);
  if (r.refusal) {
    ++filling_;
    SetRadio(kRadioDay0, schedule::kGroups, session_->schedule.displayed());
    --filling_;
    ShowMessage(r.refusal->message);
    if (r.refusal->showPage) {
      ShowPage(SetteiPage::kSchedule);
      Focus({SetteiField::kBandTime, r.refusal->band, r.refusal->field});
    }
    return;
  }
  FillScheduleDay();
}

void TVolumeChangeSetteiForm::OnCommand(int id, int code, HWND control) {
  if (!control) {  // the window's menu
    if (id == kMenuHelp) host_->ShowHelp();
    if (id == kMenuVersion) host_->ShowVersion();
    return;
  }
  if (id == kOk && code == BN_CLICKED) return OnOk();
  if (id == kCancel && code == BN_CLICKED) return OnCancel();
  const bool quiet = filling_ > 0;
  SetteiSession& s = *session_;
  PageSettings& v = s.values;
  const ControlDesign* design = FindControl(id);
  if (!design) return;

  if (code == BN_CLICKED) {
    if (id >= kRadioPosition0 && id <= kRadioPosition4) {
      if (quiet) return;
      v.Position = id - kRadioPosition0;
      return s.Changed();
    }
    if (id >= kRadioColourSource0 && id <= kRadioColourSource2) {
      if (quiet || !Checked(id)) return;
      s.ColourSourceChanged(id - kRadioColourSource0);
      ++filling_;
      SetChecked(kCheckMeterByDevice, v.ChangeColorByDevice);
      SetColour(kColorBoxVolumeBar, v.MeterColor);
      --filling_;
      return RefreshStates();
    }
    if (id >= kRadioDay0 && id <= kRadioDay7) {
      if (quiet || !Checked(id)) return;
      return OnDaySelected(id - kRadioDay0);
    }
    for (int tag = 0; tag < kKeySlots; ++tag) {
      if (id == ChangeButton(tag)) return OnKeyButton(tag);
    }
    const bool on = Checked(id);
    switch (id) {
      case kCheckAllwaysShow:
        if (quiet) return;
        v.AllwaysShow = on;
        s.Changed();
        return RefreshStates();
      case kCheckMeterByDevice:
        if (quiet) return;
        v.ChangeColorByDevice = on;
        s.Changed();
        if (on && s.meterDevice >= 0) {
          ++filling_;
          SetColour(kColorBoxMeterDevice, s.WorkingProfiles[static_cast<size_t>(s.meterDevice)].VolumeBarColor);
          --filling_;
        }
        return RefreshStates();
      case kCheckMainKeyOnly:
        if (quiet) return;
        v.Keyboard.MainKeyOnly = on;
        return s.Changed();
      case kCheckPointing:
        if (quiet) return;
        v.IsShowByPointIcon = on;
        return s.Changed();
      case kCheckNoBox:
        if (quiet) return;
        v.IsNoShowPanelSetVolume = on;
        return s.Changed();
      case kCheckUseDeviceIcon:
      case kCheckIconByDevice:
        if (quiet) return;
        (id == kCheckUseDeviceIcon ? v.UseDefAudioDeviceIcon : v.ChangeIconColorByDevice) = on;
        s.Changed();
        RefreshStates();
        return Preview();
      case kCheckNoChangeByKey:
        v.NoChangeByKey = on;  // follows the box even while filled
        if (!quiet) s.Changed();
        return RefreshStates();
      case kCheckNoChangeByMouse:
        v.NoChangeByMouse = on;
        if (!quiet) s.Changed();
        return RefreshStates();
      case kCheckWheelHoko:
        if (quiet) return;
        v.WheelReverse = on;
        return s.Changed();
      case kCheckVolumeSchedule:
        if (quiet) return;
        v.ScheduleUse = on;
        s.ScheduleFieldChanged();
        return RefreshStates();
      case kBtnNormalVolumeOK:
        s.StoreNormalVolume(*this);
        return;
      case kBtnNormalVolumeKakunin:
      case Band(0, kBandKakunin):
      case Band(1, kBandKakunin):
      case Band(2, kBandKakunin): {
        if (!s.IsReady) return;
        VolumeCheckRequest request;
        request.which = id == kBtnNormalVolumeKakunin ? VolumeCheck::kNormalVolume
                        : id == Band(0, kBandKakunin) ? VolumeCheck::kBand0
                        : id == Band(1, kBandKakunin) ? VolumeCheck::kBand1
                                                      : VolumeCheck::kBand2;
        request.normalVolumeText = s.normalVolumeText;
        request.normalVolumeDevice = s.normal.device();
        const int band = (id - kBand0) / 10;
        if (id != kBtnNormalVolumeKakunin) request.bandOffset = s.dayFields[static_cast<size_t>(band)].slider;
        request.workingProfiles = &s.WorkingProfiles;
        request.enableNormalVolumeButton = [this](bool enable) { EnableWindow(Ctl(kBtnNormalVolumeKakunin), enable); };
        host_->CheckVolume(request);
        return;
      }
      case kCheckDeviceChange:
        if (quiet) return;
        s.DeviceChangeTicked(on, *this);
        if (on && !s.deviceSchedule.change) {
          ++filling_;
          SetChecked(kCheckDeviceChange, false);
          --filling_;
        }
        return;
      default:
        return;
    }
  }

  if (code == EN_CHANGE) {
    const std::string text = Text(id);
    for (int tag = 0; tag < kKeySlots; ++tag) {
      if (id == KeyNameField(tag)) {
        s.Binding(tag).name = text;
        if (!quiet) s.Changed();
        return;
      }
    }
    for (int b = 0; b < schedule::kBands; ++b) {
      schedule::BandFields& f = s.dayFields[static_cast<size_t>(b)];
      std::string* field = id == Band(b, kBandStartHour)     ? &f.startHour
                           : id == Band(b, kBandStartMinute) ? &f.startMinute
                           : id == Band(b, kBandEndHour)     ? &f.endHour
                           : id == Band(b, kBandEndMinute)   ? &f.endMinute
                                                             : nullptr;
      if (field) {
        *field = text;
        if (!quiet) s.ScheduleFieldChanged();
        return;
      }
    }
    switch (id) {
      case kEditShowTime:
        s.showTimeText = text;
        if (!quiet) s.Changed();
        return;
      case kEditStep:
        s.stepText = text;
        if (!quiet) s.Changed();
        return;
      case kEditNormalVolume:
        s.normalVolumeText = text;
        if (!quiet) s.NormalVolumeTyped();
        return;
      case kEditDeviceHour:
        s.deviceSchedule.hour = text;
        return;
      case kEditDeviceMinute:
        s.deviceSchedule.minute = text;
        return;
      default:
        return;
    }
  }

  if (design->kind == ControlKind::kColourBox &&
      (code == CBN_SELENDOK || (code == CBN_SELCHANGE && !SendMessageW(control, CB_GETDROPPEDSTATE, 0, 0)))) {
    if (quiet || pickPending_) return;
    // Taken once the list has closed, so that one choice opens the colour
    // dialog once.
    pickPending_ = true;
    PostMessageW(hwnd(), kMsgColourPicked, static_cast<WPARAM>(id), 0);
    return;
  }

  if (design->kind == ControlKind::kDeviceList && code == CBN_SELCHANGE) {
    if (quiet) return;
    const int sel = Selection(id);
    const bool onPage = [&] { return static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0)) == design->page; }();
    switch (id) {
      case kComboIconDevice:
        s.iconDevice = sel;
        if (sel >= 0) {
          const TDefDeviceTrayIconData& p = s.WorkingProfiles[static_cast<size_t>(sel)];
          ++filling_;
          SetColour(kColorBoxIconDeviceText, p.TextColor);
          SetColour(kColorBoxIconDeviceBack, p.BackColor);
          --filling_;
          SetHint(Ctl(id), p.DeviceName);
        }
        Preview();
        if (onPage) SetFocus(Ctl(kCheckIconByDevice));
        return;
      case kComboMeterDevice:
        s.meterDevice = sel;
        if (sel >= 0) {
          const TDefDeviceTrayIconData& p = s.WorkingProfiles[static_cast<size_t>(sel)];
          ++filling_;
          SetColour(kColorBoxMeterDevice, p.VolumeBarColor);
          --filling_;
          SetHint(Ctl(id), p.DeviceName);
        }
        if (onPage) SetFocus(Ctl(kRadioColourSource0 + v.ColorByIconColor));
        return;
      case kComboNormalDevice:
        s.ChooseNormalVolumeDevice(sel, *this);
        ++filling_;
        SetText(kEditNormalVolume, s.normalVolumeText);
        --filling_;
        return;
      case kComboScheduleDevice:
        s.ShowScheduleDevice(sel);
        FillDeviceSchedule();
        if (onPage) SetFocus(Ctl(kCheckDeviceChange));
        return;
      default:
        return;
    }
  }
}

void TVolumeChangeSetteiForm::OnNotify(const NMHDR& nm) {
  if (nm.hwndFrom == tab_ && nm.code == TCN_SELCHANGE) {
    const int page = static_cast<int>(SendMessageW(tab_, TCM_GETCURSEL, 0, 0));
    ShowPageOnly(page);
    if (page == static_cast<int>(SetteiPage::kIcon) && session_->useEndpoint()) {
      SetFocus(Ctl(kCheckUseDeviceIcon));
    }
    return;
  }
  if (nm.code != LVN_ITEMCHANGED || filling_ > 0) return;
  const auto& change = reinterpret_cast<const NMLISTVIEW&>(nm);
  if (!(change.uChanged & LVIF_STATE) || !((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK)) return;
  SetteiSession& s = *session_;
  if (nm.hwndFrom == Ctl(kListVisibleMenu)) {
    for (int k = 0; k < kVisibleMenuEntries; ++k) {
      s.values.VisibleMenuItems[static_cast<size_t>(k)] = ListView_GetCheckState(nm.hwndFrom, k) != FALSE;
    }
    s.Changed();
  } else if (nm.hwndFrom == Ctl(kListDevices)) {
    for (size_t i = 0; i < s.WorkingProfiles.size(); ++i) {
      s.WorkingProfiles[i].IsShowOnMenu = ListView_GetCheckState(nm.hwndFrom, static_cast<int>(i)) != FALSE;
    }
    s.Changed();
  }
}

void TVolumeChangeSetteiForm::OnScroll(HWND track) {
  const auto it = ids_.find(track);
  if (it == ids_.end()) return;
  const int id = it->second;
  const int pos = TrackPos(id);
  SetteiSession& s = *session_;
  if (id == kTrackTrayWait || id == kTrackWait) {
    SetHint(track, SecondsHint(pos));
    if (filling_ > 0) return;
    (id == kTrackTrayWait ? s.values.TrayIconWaitTime : s.values.VolumeChangeWaitTime) = pos;
    s.Changed();
    return;
  }
  for (int b = 0; b < schedule::kBands; ++b) {
    if (id != Band(b, kBandTrack)) continue;
    ++filling_;
    SetText(Band(b, kBandLabel), schedule::SliderLabel(pos));
    --filling_;
    if (filling_ > 0) return;
    s.dayFields[static_cast<size_t>(b)].slider = pos;
    s.ScheduleFieldChanged();
  }
}

LRESULT TVolumeChangeSetteiForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
      return OnContainerMessage(hwnd, msg, wp, lp);
    case DM_GETDEFID:
      return MAKELRESULT(kOk, DC_HASDEFID);
    case kMsgColourPicked:
      pickPending_ = false;
      if (visible()) OnColourPicked(static_cast<int>(wp));
      return 0;
    case kMsgDeviceTimeReleased:
      session_->DeviceTimeKeyReleased(*this);
      return 0;
    case WM_TIMER:
      if (wp == kAltTimerId) OnAltTimer();
      return 0;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_CLOSE:
      if (session_->CloseQuery(*this)) {
        FillControls();
        Hide();
      } else {
        RefreshStates();
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kAltTimerId);
      break;
    default:
      break;
  }
  return Form::Handle(hwnd, msg, wp, lp);
}

}  // namespace volmaru::settings
