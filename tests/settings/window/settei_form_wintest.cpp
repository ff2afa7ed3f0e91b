// The settings window with the real controls and fonts: nothing clipped at
// the design size, the digit fields, key capture taking the keys from the
// message loop, OK saving once and handing over, each kind of control
// driven as a user drives it reaching what OK saves, the refusals' words and
// the hints.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/dpi_change_win.h"
#include "common/message_pump_win.h"
#include "common/dpi_win.h"
#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/window/settei_form_win.h"
#include "settings/window/settei_layout.h"
#include "tests/settings/window/fake_settei_host.h"
#include "tray/popup_menu.h"

namespace volmaru::settings {
namespace {

using namespace ctl;

// Removes a folder of plain files (a test's data folder) with its files.
void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE first = FindFirstFileW(Widen(folder + "*").c_str(), &found);
  if (first != INVALID_HANDLE_VALUE) {
    const UniqueFindHandle find(first);
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((Widen(folder) + found.cFileName).c_str());
      }
    } while (FindNextFileW(find.get(), &found));
  }
  RemoveDirectoryW(Widen(folder).c_str());
}

// An empty data folder of its own for each test. Wine hands out the same
// process ids run after run, so a folder named after the process may be
// left from an earlier run: it is emptied first.
std::string TempFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int n = 0;
  const std::string folder =
      Narrow(tmp) + "volmaru-settei-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n) + "\\";
  RemoveFolder(folder);
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

std::string ReadFileText(const std::string& path) {
  UniqueKernelHandle h(
      CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (h.get() == INVALID_HANDLE_VALUE) {
    (void)h.release();
    return {};
  }
  std::string bytes(1 << 16, '\0');
  DWORD got = 0;
  ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  return bytes;
}

// Runs `action` from inside the window's modal loop (a thread timer).
std::function<void()> g_action;
void CALLBACK RunAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto action = std::move(g_action);
  g_action = nullptr;
  if (action) action();
}
void WhenOpen(std::function<void()> action) {
  g_action = std::move(action);
  SetTimer(nullptr, 0, 10, RunAction);
}

// The text a message box shows: its static control with the longest text
// (the other one holds the icon).
BOOL CALLBACK LongestStaticText(HWND child, LPARAM lp) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"Static") != 0) return TRUE;
  wchar_t buf[1024] = {};
  GetWindowTextW(child, buf, 1024);
  auto* out = reinterpret_cast<std::wstring*>(lp);
  if (wcslen(buf) > out->size()) *out = buf;
  return TRUE;
}
std::wstring MessageBoxText(HWND box) {
  std::wstring text;
  EnumChildWindows(box, LongestStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Answers the first message box titled "ボルマル" with OK, and notes that it
// came and what it said.
bool* g_boxSeen = nullptr;
std::wstring* g_boxText = nullptr;
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindWindowW(L"#32770", L"ボルマル");
  if (!box) return;  // not up yet: the timer fires again
  KillTimer(nullptr, id);
  if (g_boxSeen) *g_boxSeen = true;
  if (g_boxText) *g_boxText = MessageBoxText(box);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

// Keys and characters arrive through the window's own loop, as typed.
void PostKey(HWND target, UINT vk) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16;
  PostMessageW(target, WM_KEYDOWN, vk, 1 | scan);
  PostMessageW(target, WM_KEYUP, vk, 1 | scan | (1 << 30) | (1u << 31));
  volmaru::ProcessPendingMessages();
}
void TypeText(HWND edit, const std::wstring& text) {
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (wchar_t ch : text) PostMessageW(edit, WM_CHAR, ch, 1);
  volmaru::ProcessPendingMessages();
}

// The hint window a form owns.
struct TooltipSearch {
  HWND owner = nullptr;
  HWND found = nullptr;
};
BOOL CALLBACK FindOwnedTooltip(HWND w, LPARAM lp) {
  auto* search = reinterpret_cast<TooltipSearch*>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  if (lstrcmpiW(cls, TOOLTIPS_CLASSW) != 0 || GetWindow(w, GW_OWNER) != search->owner) return TRUE;
  search->found = w;
  return FALSE;
}

class SetteiFormTest : public ::testing::Test {
 protected:
  testing::FakeSetteiHost host;
  TVolumeChangeSetteiForm form;
  std::string folder = TempFolder();

  void SetUp() override {
    host.dataFolder = folder;
    TDefDeviceTrayIconData a;
    a.DeviceName = "Speakers";
    TDefDeviceTrayIconData b;
    b.DeviceName = "HDMI";
    host.profiles = {a, b};
    host.defaultName = "HDMI";
    ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), host, nullptr));
    volmaru::SetMessageFilter([this](MSG& m) { return form.PreTranslate(m); });
  }
  void TearDown() override {
    volmaru::SetMessageFilter(nullptr);
    RemoveFolder(folder);
  }

  HWND C(int id) { return form.Control(id); }
  std::wstring TextOf(int id) {
    wchar_t buf[512] = {};
    GetWindowTextW(C(id), buf, 512);
    return buf;
  }
  std::string Settei() { return ReadFileText(folder + "Settei.ini"); }
  // A value of the written file, read by the system's own profile functions.
  std::wstring Saved(const wchar_t* section, const wchar_t* key) {
    wchar_t buf[512] = {};
    GetPrivateProfileStringW(section, key, L"(none)", buf, 512, Widen(folder + "Settei.ini").c_str());
    return buf;
  }
  bool IsChecked(int id) { return SendMessageW(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // The page the tab strip shows (the pages lie in the tab control).
  int ShownPage() { return static_cast<int>(SendMessageW(GetParent(GetParent(C(kEditStep))), TCM_GETCURSEL, 0, 0)); }
  // Turns to a page as a click on its tab does.
  void TurnTo(SetteiPage page) {
    SendMessageW(GetParent(GetParent(C(kEditStep))), TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0);
  }
  // Every hint the window has registered: the window it rests on, its text.
  std::map<HWND, std::wstring> Hints() {
    TooltipSearch search{form.hwnd(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedTooltip, reinterpret_cast<LPARAM>(&search));
    std::map<HWND, std::wstring> hints;
    if (!search.found) {
      ADD_FAILURE() << "the window has no hint window";
      return hints;
    }
    const int count = static_cast<int>(SendMessageW(search.found, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t buf[512] = {};
      TTTOOLINFOW ti{};
      ti.cbSize = TTTOOLINFOW_V2_SIZE;
      ti.lpszText = buf;
      if (!SendMessageW(search.found, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&ti))) continue;
      wchar_t text[512] = {};
      ti.lpszText = text;
      SendMessageW(search.found, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
      hints[reinterpret_cast<HWND>(ti.uId)] = text;
    }
    return hints;
  }
  // The combo box inside a device list, where the pointer rests.
  HWND Inner(int id) { return reinterpret_cast<HWND>(SendMessageW(C(id), CBEM_GETCOMBOCONTROL, 0, 0)); }
  // Opens the window, runs `action` inside it and returns once it closed.
  void WhileOpen(std::function<void()> action) {
    WhenOpen(std::move(action));
    form.ShowModal();
  }
};

// At any DPI: the window is its design size scaled (at 144 dpi 753 x 876,
// one and a half times 502 x 584) and every page has room for its controls.

using volmaru::testing::FontPixels;
using volmaru::testing::SendDpiChanged;

// Moved to a monitor of another DPI (or the scaling changed): the window
// takes the suggested rectangle, every control its design place at the new
// DPI and the new font; the old fonts go, and back at the first DPI all is
// as it was.
TEST_F(SetteiFormTest, ADpiChangeLaysTheWindowOutAgain) {
  const int first = WindowDpi(form.hwnd());
  const int to = first == 96 ? 144 : 96;  // a window that fits the 1080-line test screen
  const Dpi dpi{to};
  ASSERT_TRUE(C(kOk)) << "the pages, built as at a first opening";
  const long fontsBefore = LiveHandleCount(HandleKind::kFont).load();
  const RECT suggested = SendDpiChanged(form.hwnd(), first, to);
  RECT w;
  GetWindowRect(form.hwnd(), &w);
  EXPECT_EQ(w.right - w.left, suggested.right - suggested.left);
  EXPECT_EQ(w.bottom - w.top, suggested.bottom - suggested.top);
  for (const int id : {kEditShowTime, kCheckAllwaysShow, kOk, kCancel}) {
    EXPECT_EQ(FontPixels(C(id)), -dpi(kSetteiFontPixels)) << id;
  }
  for (const ControlDesign& c : SetteiControls()) {
    if (c.id == kLabelStep || c.id == kEditStep || c.id == kLabelStepNote) continue;  // placed after the caption
    RECT r;
    GetWindowRect(C(c.id), &r);
    MapWindowPoints(nullptr, GetParent(C(c.id)), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, dpi(c.x)) << c.id;
    EXPECT_EQ(r.top, dpi(c.y)) << c.id;
    EXPECT_EQ(r.right - r.left, dpi(c.w)) << c.id;
  }
  // The step field follows its caption at the new size.
  RECT label, edit;
  GetWindowRect(C(kLabelStep), &label);
  GetWindowRect(C(kEditStep), &edit);
  EXPECT_GE(edit.left, label.right);
  EXPECT_EQ(edit.right - edit.left, dpi(FindControl(kEditStep)->w));
  EXPECT_EQ(LiveHandleCount(HandleKind::kFont).load(), fontsBefore) << "the old font is gone";
  SendDpiChanged(form.hwnd(), to, first);
  GetWindowRect(form.hwnd(), &w);
  EXPECT_EQ(w.right - w.left, Dpi{first}(kSetteiWidth));
  EXPECT_EQ(FontPixels(C(kOk)), -Dpi{first}(kSetteiFontPixels));
  EXPECT_EQ(LiveHandleCount(HandleKind::kFont).load(), fontsBefore);
}

// The UI face given at start-up, before the pages exist, is theirs when
// they are built, and stays theirs when a change of DPI makes the font anew.
TEST_F(SetteiFormTest, TheUiFaceGivenAtStartUpOutlivesTheBuildAndADpiChange) {
  const std::wstring face = L"Arial";
  form.SetFontFace(face, nullptr);
  const auto faceOf = [&](int id) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(C(id), WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return std::wstring(lf.lfFaceName);
  };
  EXPECT_EQ(faceOf(kOk), face);
  EXPECT_EQ(faceOf(kEditShowTime), face);
  const int first = WindowDpi(form.hwnd());
  const int to = first == 96 ? 144 : 96;
  SendDpiChanged(form.hwnd(), first, to);
  EXPECT_EQ(faceOf(kOk), face);
  EXPECT_EQ(FontPixels(C(kOk)), -Dpi{to}(kSetteiFontPixels));
  const long fonts = LiveHandleCount(HandleKind::kFont).load();
  SendDpiChanged(form.hwnd(), to, first);
  EXPECT_EQ(faceOf(kEditShowTime), face);
  EXPECT_EQ(LiveHandleCount(HandleKind::kFont).load(), fonts) << "the fonts of the earlier face went";
}

TEST_F(SetteiFormTest, ThePagesHoldTheirDesignArea) {
  const Dpi dpi{WindowDpi(form.hwnd())};
  RecordProperty("dpi", dpi.value);
  RECT w;
  GetWindowRect(form.hwnd(), &w);
  EXPECT_EQ(w.right - w.left, dpi(kSetteiWidth)) << dpi.value << " dpi";
  EXPECT_EQ(w.bottom - w.top, dpi(kSetteiHeight)) << dpi.value << " dpi";
  EXPECT_NEAR((w.right - w.left) * 96.0 / dpi.value, 502, 1);
  EXPECT_NEAR((w.bottom - w.top) * 96.0 / dpi.value, 584, 1);
  for (int p = 0; p < kSetteiPageCount; ++p) {
    HWND page = nullptr;
    for (const ControlDesign& c : SetteiControls()) {
      if (c.page == p && !c.parent) page = GetParent(C(c.id));
    }
    ASSERT_TRUE(page) << p;
    RECT r;
    GetClientRect(page, &r);
    EXPECT_GE(r.right, dpi(kPageWidth)) << "page " << p << " at " << dpi.value << " dpi";
    EXPECT_GE(r.bottom, dpi(kPageHeight)) << "page " << p << " at " << dpi.value << " dpi";
    // And every control of the page lies inside it.
    for (const ControlDesign& c : SetteiControls()) {
      if (c.page != p || c.parent) continue;
      RECT cr;
      GetWindowRect(C(c.id), &cr);
      MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&cr), 2);
      EXPECT_LE(cr.left + dpi(c.w), r.right) << c.id << " at " << dpi.value << " dpi";
      EXPECT_LE(cr.top + dpi(c.h), r.bottom) << c.id << " at " << dpi.value << " dpi";
    }
  }
}

// Each caption measured in the window's own font fits its control, at the
// DPI the window is shown at.
TEST_F(SetteiFormTest, NoCaptionIsClipped) {
  const Dpi dpi{WindowDpi(form.hwnd())};
  const int box = SystemMetricForDpi(SM_CXMENUCHECK, dpi.value) + dpi(6);
  for (const ControlDesign& c : SetteiControls()) {
    if (c.caption.empty()) continue;
    const HWND w = C(c.id);
    ASSERT_TRUE(w) << c.id;
    const std::wstring text = Widen(c.caption);
    WindowDc dc(w);
    SelectGuard font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT r{0, 0, dpi(c.w), 0};
    int room = dpi(c.w);
    switch (c.kind) {
      case ControlKind::kCheck:
      case ControlKind::kRadio:
        room -= box;
        break;
      case ControlKind::kButton:
        room -= dpi(8);
        break;
      case ControlKind::kGroup:
        room -= dpi(20);
        break;
      default:
        break;
    }
    r.right = room;
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | ((c.flags & kMultiLine) ? DT_WORDBREAK : DT_SINGLELINE));
    EXPECT_LE(r.right, room) << c.id << " \"" << c.caption << "\" is " << r.right << " wide in " << room << " at "
                             << dpi.value << " dpi";
    if (c.kind != ControlKind::kGroup) {
      EXPECT_LE(r.bottom, dpi(c.h)) << c.id << " \"" << c.caption << "\" is " << r.bottom << " high in " << dpi(c.h)
                                    << " at " << dpi.value << " dpi";
    }
  }
}

TEST_F(SetteiFormTest, TheDigitFieldsTakeDigitsOnlyRightAligned) {
  int fields = 0;
  for (const ControlDesign& c : SetteiControls()) {
    if (c.kind != ControlKind::kEdit) continue;
    const LONG style = GetWindowLongW(C(c.id), GWL_STYLE);
    const bool digits = (c.flags & kDigitsOnly) != 0;
    EXPECT_EQ((style & ES_NUMBER) != 0, digits) << c.id;
    EXPECT_EQ((style & ES_RIGHT) != 0, digits) << c.id;
    fields += digits;
  }
  EXPECT_EQ(fields, 17);
}

// A program at rest never builds the pages: the window exists hidden with
// no control, no font and no hint window; the values the rest of the
// program reads from it are the file's from the start. Opened first at
// some later moment, the pages show every value the program used
// meanwhile, a menu switch toggled while it was closed included.
BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}
TEST(SetteiFormAtRestTest, BuildsNothingUntilOpenedAndThenShowsWhatTheProgramUsed) {
  testing::FakeSetteiHost host;
  const std::string folder = TempFolder();
  host.dataFolder = folder;
  TDefDeviceTrayIconData a;
  a.DeviceName = "Speakers";
  host.profiles = {a};
  host.defaultName = "Speakers";
  {
    const std::string ini =
        "[VolumeBar]\r\nPosition=3\r\nShowTime=7\r\nIsShowByPointIcon=0\r\nAllwaysShow=1\r\n"
        "[NoChangeByKey]\r\nValue=1\r\n";
    UniqueKernelHandle h(
        CreateFileW(Widen(folder + "Settei.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD wrote = 0;
    WriteFile(h.get(), ini.data(), static_cast<DWORD>(ini.size()), &wrote, nullptr);
  }
  const long fontsBefore = LiveHandleCount(HandleKind::kFont).load();
  const long windowsBefore = LiveHandleCount(HandleKind::kWindow).load();
  TVolumeChangeSetteiForm form;
  ASSERT_TRUE(form.Create(GetModuleHandleW(nullptr), host, nullptr));
  volmaru::ProcessPendingMessages();
  int children = 0;
  EnumChildWindows(form.hwnd(), CountChild, reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, 0) << "controls built at rest";
  EXPECT_EQ(LiveHandleCount(HandleKind::kFont).load(), fontsBefore) << "a font made at rest";
  EXPECT_EQ(LiveHandleCount(HandleKind::kWindow).load(), windowsBefore + 1) << "a hint window made at rest";
  TooltipSearch hints{form.hwnd()};
  EnumWindows(FindOwnedTooltip, reinterpret_cast<LPARAM>(&hints));
  EXPECT_EQ(hints.found, nullptr);
  EXPECT_FALSE(form.built());

  // What the other parts read at each use, before any opening.
  EXPECT_EQ(form.pages().Position, 3);
  EXPECT_EQ(form.pages().ShowTime, 7);
  EXPECT_FALSE(form.pages().IsShowByPointIcon);
  EXPECT_TRUE(form.pages().AllwaysShow);
  EXPECT_TRUE(form.pages().NoChangeByKey);
  // The tray menu's switch, used while the window has never opened.
  form.MenuSwitchToggled(false, true);
  form.MenuSwitchToggled(true, false);
  EXPECT_TRUE(form.pages().NoChangeByMouse);
  EXPECT_FALSE(form.pages().NoChangeByKey);
  EXPECT_FALSE(form.built()) << "a menu switch builds the pages";
  // The main window saves the switches as they are toggled; the window
  // reads the file as it opens.
  {
    const std::string ini =
        "[VolumeBar]\r\nPosition=3\r\nShowTime=7\r\nIsShowByPointIcon=0\r\nAllwaysShow=1\r\n"
        "[NoChangeByKey]\r\nValue=0\r\n[NoChangeByMouse]\r\nValue=1\r\n";
    UniqueKernelHandle h(
        CreateFileW(Widen(folder + "Settei.ini").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD wrote = 0;
    WriteFile(h.get(), ini.data(), static_cast<DWORD>(ini.size()), &wrote, nullptr);
  }
  Sleep(300);  // a later moment
  volmaru::ProcessPendingMessages();

  const auto text = [&](int id) {
    wchar_t buf[64] = {};
    GetWindowTextW(form.Control(id), buf, 64);
    return std::wstring(buf);
  };
  const auto checked = [&](int id) { return SendMessageW(form.Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; };
  WhenOpen([&] {
    EXPECT_TRUE(form.built());
    EXPECT_EQ(text(kEditShowTime), L"7");
    EXPECT_TRUE(checked(kRadioPosition3)) << "右";
    EXPECT_FALSE(checked(kRadioPosition0));
    EXPECT_TRUE(checked(kCheckAllwaysShow));
    EXPECT_FALSE(checked(kCheckPointing));
    EXPECT_TRUE(checked(kCheckNoChangeByMouse));
    EXPECT_FALSE(checked(kCheckNoChangeByKey));
    EXPECT_EQ(text(kEditMainKey), L"無変換");
    SendMessageW(form.Control(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_FALSE(form.visible());
  children = 0;
  EnumChildWindows(form.hwnd(), CountChild, reinterpret_cast<LPARAM>(&children));
  EXPECT_GT(children, 100) << "the pages once opened";
  RemoveFolder(folder);
}

TEST_F(SetteiFormTest, OpensFilledAndCancelClosesIt) {
  WhenOpen([&] {
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(TextOf(kEditStep), L"3");
    EXPECT_EQ(TextOf(kEditShowTime), L"10");
    EXPECT_EQ(TextOf(kEditMainKey), L"無変換");
    EXPECT_EQ(TextOf(kLabelVolumeUpKeyCode), L"39");
    EXPECT_EQ(SendMessageW(C(kComboIconDevice), CB_GETCURSEL, 0, 0), 1) << "the default device";
    EXPECT_EQ(SendMessageW(C(kComboNormalDevice), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ListView_GetItemCount(C(kListDevices)), 2);
    EXPECT_EQ(ListView_GetItemCount(C(kListVisibleMenu)), 8);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_FALSE(form.visible());
  EXPECT_EQ(Settei(), "") << "Cancel writes nothing";
  EXPECT_EQ(host.calls.front(), "close meter");
}

// Filling skips controls that already show their value; one that was left
// showing something else (a colour choice whose dialog was cancelled) must
// still be put right.
TEST_F(SetteiFormTest, ReopeningShowsTheHeldValuesWhateverTheControlsShowed) {
  LRESULT colourEntry = -1, trackPos = -1, alwaysShown = -1;
  WhenOpen([&] {
    colourEntry = SendMessageW(C(kColorBoxVolumeBar), CB_GETCURSEL, 0, 0);
    trackPos = SendMessageW(C(kTrackTrayWait), TBM_GETPOS, 0, 0);
    alwaysShown = SendMessageW(C(kCheckAllwaysShow), BM_GETCHECK, 0, 0);
    SendMessageW(C(kColorBoxVolumeBar), CB_SETCURSEL, static_cast<WPARAM>(colourEntry == 3 ? 4 : 3), 0);
    SendMessageW(C(kTrackTrayWait), TBM_SETPOS, TRUE, trackPos + 300);
    SendMessageW(C(kCheckAllwaysShow), BM_SETCHECK, alwaysShown == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  WhenOpen([&] {
    EXPECT_EQ(SendMessageW(C(kColorBoxVolumeBar), CB_GETCURSEL, 0, 0), colourEntry);
    EXPECT_EQ(SendMessageW(C(kTrackTrayWait), TBM_GETPOS, 0, 0), trackPos);
    EXPECT_EQ(SendMessageW(C(kCheckAllwaysShow), BM_GETCHECK, 0, 0), alwaysShown);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_GE(colourEntry, 0);
}

TEST_F(SetteiFormTest, OkSavesTheChangedStepAndHandsItOver) {
  WhenOpen([&] {
    SetWindowTextW(C(kEditStep), L"5");
    SendMessageW(C(kCheckPointing), BM_CLICK, 0, 0);
    EXPECT_FALSE(form.pages().IsShowByPointIcon) << "a live value changes at once";
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_FALSE(form.visible());
  EXPECT_NE(Settei().find("VolumeChangeValue=5"), std::string::npos) << Settei();
  EXPECT_NE(Settei().find("IsShowByPointIcon=0"), std::string::npos);
  EXPECT_EQ(host.main.Keyboard.VolumeStep, 5);
}

TEST_F(SetteiFormTest, AWrongStepKeepsTheWindowOpenWithItsMessage) {
  bool boxSeen = false;
  WhenOpen([&] {
    SetWindowTextW(C(kEditStep), L"101");
    // The message box of the refused OK, closed by a timer of its own.
    g_boxSeen = &boxSeen;
    SetTimer(nullptr, 0, 100, CloseMessageBox);
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.visible()) << "refused: the window stays";
    EXPECT_EQ(GetFocus(), C(kEditStep));
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_TRUE(boxSeen);
  EXPECT_EQ(Settei(), "");
}

TEST_F(SetteiFormTest, KeyCaptureTakesTheNextKeyDownFromTheLoop) {
  WhenOpen([&] {
    SendMessageW(C(kBtnVolumeUpKeyChange), BM_CLICK, 0, 0);
    EXPECT_TRUE(host.captureFlag.load()) << "the hook sees the capture at once";
    EXPECT_EQ(TextOf(kBtnVolumeUpKeyChange), L"確定");
    EXPECT_FALSE(IsWindowEnabled(C(kOk)));
    EXPECT_FALSE(IsWindowEnabled(C(kBtnMainKeyChange)));
    EXPECT_FALSE(IsWindowEnabled(C(kEditStep)));
    // A Home key meant for the step field goes to the slot instead.
    PostMessageW(C(kEditStep), WM_KEYDOWN, VK_HOME, 1 | (0x47 << 16) | (1 << 24));
    volmaru::ProcessPendingMessages();
    EXPECT_EQ(TextOf(kLabelVolumeUpKeyCode), L"36");
    wchar_t name[256] = {};
    GetKeyNameTextW(static_cast<LONG>((MapVirtualKeyW(VK_HOME, 0) << 16) | 0x1000000), name, 256);
    EXPECT_EQ(TextOf(kEditVolumeUpKey), name);
    EXPECT_EQ(host.holds, 0) << "the main timer runs again";
    EXPECT_GE(host.pauses, 1);
    SendMessageW(C(kBtnVolumeUpKeyChange), BM_CLICK, 0, 0);
    EXPECT_FALSE(host.captureFlag.load());
    EXPECT_EQ(TextOf(kBtnVolumeUpKeyChange), L"変更");
    EXPECT_TRUE(IsWindowEnabled(C(kOk)));
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_NE(Settei().find("VolumeUpKeyCode=36"), std::string::npos) << Settei();
  EXPECT_EQ(host.main.Keyboard.VolumeUpKey.code, 36);
}

// Alt never arrives as a key-down: the window's timer looks for it, and only
// while the window is open.
TEST_F(SetteiFormTest, AltIsTakenByTheWindowsOwnTimerWhileOpen) {
  WhenOpen([&] {
    SendMessageW(C(kBtnMainKeyChange), BM_CLICK, 0, 0);
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE before = keys[VK_MENU];
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    volmaru::PumpMessagesFor(350);
    keys[VK_MENU] = before;
    SetKeyboardState(keys);
    EXPECT_EQ(TextOf(kLabelMainKeyCode), L"18");
    SendMessageW(C(kBtnMainKeyChange), BM_CLICK, 0, 0);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
  EXPECT_FALSE(KillTimer(form.hwnd(), 1)) << "no timer runs while the window is hidden";
}

// Dropped down, a device list shows its entries, at most eight rows.
TEST_F(SetteiFormTest, DeviceListsDropDownAtMostEightRows) {
  for (int count : {2, 12}) {
    host.profiles.clear();
    for (int i = 0; i < count; ++i) {
      TDefDeviceTrayIconData p;
      p.DeviceName = "Device " + std::to_string(i);
      host.profiles.push_back(p);
    }
    WhenOpen([&] {
      const HWND inner = reinterpret_cast<HWND>(SendMessageW(C(kComboScheduleDevice), CBEM_GETCOMBOCONTROL, 0, 0));
      ASSERT_TRUE(inner);
      EXPECT_EQ(SendMessageW(inner, CB_GETCOUNT, 0, 0), count);
      const int row = static_cast<int>(SendMessageW(inner, CB_GETITEMHEIGHT, 0, 0));
      SendMessageW(inner, CB_SHOWDROPDOWN, TRUE, 0);
      COMBOBOXINFO info{};
      info.cbSize = sizeof info;
      GetComboBoxInfo(inner, &info);
      RECT list;
      GetWindowRect(info.hwndList, &list);
      const int rows = (list.bottom - list.top) / row;
      EXPECT_EQ(rows, std::min(count, 8)) << count << " devices, list " << (list.bottom - list.top) << " high";
      SendMessageW(inner, CB_SHOWDROPDOWN, FALSE, 0);
      SendMessageW(C(kCancel), BM_CLICK, 0, 0);
    });
    form.ShowModal();
  }
}

TEST_F(SetteiFormTest, TheWheelDoesNotTurnAClosedColourList) {
  WhenOpen([&] {
    for (int id : {int{kColorBoxVolumeBar}, int{kColorBoxIconText}, int{kColorBoxIconBack},
                   int{kColorBoxIconDeviceText}, int{kColorBoxIconDeviceBack}, int{kComboIconDevice}}) {
      EXPECT_TRUE(form.WheelBlocked(C(id))) << id;
    }
    const HWND inner = reinterpret_cast<HWND>(SendMessageW(C(kComboIconDevice), CBEM_GETCOMBOCONTROL, 0, 0));
    EXPECT_TRUE(form.WheelBlocked(inner)) << "the wheel arrives at the combo box inside the device list";
    EXPECT_FALSE(form.WheelBlocked(C(kComboNormalDevice))) << "only the listed lists";
    EXPECT_FALSE(form.WheelBlocked(C(kColorBoxMeterDevice)));
    SendMessageW(C(kColorBoxVolumeBar), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_FALSE(form.WheelBlocked(C(kColorBoxVolumeBar))) << "a dropped-down list turns";
    SendMessageW(C(kColorBoxVolumeBar), CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
}

// With the IME on, the window gets VK_PROCESSKEY (229) for a key the IME
// took; the hooks see the real key. 229 is never bound: the key the IME
// names is, and without one the slot keeps its key.
TEST_F(SetteiFormTest, KeyCaptureNeverBindsTheImesProcessKey) {
  WhenOpen([&] {
    SendMessageW(C(kBtnMainKeyChange), BM_CLICK, 0, 0);
    PostMessageW(C(kEditStep), WM_KEYDOWN, VK_PROCESSKEY, 1);
    volmaru::ProcessPendingMessages();
    EXPECT_EQ(TextOf(kLabelMainKeyCode), L"29") << "Wine has no IME to name the key: nothing bound";
    PostMessageW(C(kEditStep), WM_KEYDOWN, VK_CONVERT, 1 | (0x79 << 16));
    volmaru::ProcessPendingMessages();
    EXPECT_EQ(TextOf(kLabelMainKeyCode), L"28");
    SendMessageW(C(kBtnMainKeyChange), BM_CLICK, 0, 0);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
}

// --- each kind of control as a user drives it, up to what OK saves ---------------

TEST_F(SetteiFormTest, ThePositionRadiosReadBottomCentreTopRightLeft) {
  const wchar_t* const captions[] = {L"下", L"中央", L"上", L"右", L"左"};
  LONG left = -1;
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(TextOf(kRadioPosition0 + i), captions[i]) << i;
    RECT r;
    GetWindowRect(C(kRadioPosition0 + i), &r);
    EXPECT_GT(r.left, left) << captions[i] << " stands right of the one before";
    left = r.left;
  }
}

// Each click counts as a change, so that OK saves at all, and the value saved
// is the clicked radio's; each opening starts from the value saved before
// (every click here picks another place than the one before).
TEST_F(SetteiFormTest, TheClickedPositionRadioIsWhatOkSaves) {
  int before = 0;
  for (int i : {2, 4, 1, 3, 0}) {
    WhileOpen([&] {
      EXPECT_TRUE(IsChecked(kRadioPosition0 + before)) << "opened with the saved place";
      EXPECT_FALSE(form.HasUnsavedChanges());
      SendMessageW(C(kRadioPosition0 + i), BM_CLICK, 0, 0);
      EXPECT_TRUE(IsChecked(kRadioPosition0 + i));
      EXPECT_FALSE(IsChecked(kRadioPosition0 + before)) << "one place at a time";
      EXPECT_TRUE(form.HasUnsavedChanges()) << "the click counts as a change";
      SendMessageW(C(kOk), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(Saved(L"VolumeBar", L"Position"), std::to_wstring(i)) << Settei();
    EXPECT_EQ(host.meter.Position, i);
    before = i;
  }
}

TEST_F(SetteiFormTest, TheNoBoxCheckIsWhatOkSavesAndHandsToTheMeter) {
  EXPECT_EQ(TextOf(kCheckNoBox), L"音量変更ボックスを表示しない");
  for (const bool on : {true, false}) {
    WhileOpen([&] {
      EXPECT_EQ(IsChecked(kCheckNoBox), !on);
      SendMessageW(C(kCheckNoBox), BM_CLICK, 0, 0);
      EXPECT_EQ(IsChecked(kCheckNoBox), on);
      SendMessageW(C(kOk), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(Saved(L"VolumeBar", L"IsNoShowPanelSetVolume"), on ? L"1" : L"0") << Settei();
    EXPECT_EQ(host.meter.IsNoShowPanelSetVolume, on);
  }
}

TEST_F(SetteiFormTest, TheWheelDirectionCheckIsWhatOkSavesAndHandsOver) {
  EXPECT_EQ(TextOf(kCheckWheelHoko), L"マウスホイール回転での音量変更はデフォルトと逆向きにする");
  for (const bool on : {true, false}) {
    WhileOpen([&] {
      TurnTo(SetteiPage::kOperation);
      EXPECT_EQ(IsChecked(kCheckWheelHoko), !on);
      SendMessageW(C(kCheckWheelHoko), BM_CLICK, 0, 0);
      SendMessageW(C(kOk), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(Saved(L"WheelHokoChange", L"Value"), on ? L"1" : L"0") << Settei();
    EXPECT_EQ(host.main.WheelReverse, on);
  }
}

// One entry cleared at a time: each entry's check lands in its own value.
TEST_F(SetteiFormTest, EachVisibleMenuEntrysCheckIsWhatOkSaves) {
  const HWND list = C(kListVisibleMenu);
  for (int k = 0; k < kVisibleMenuEntries; ++k) {
    WhileOpen([&] {
      TurnTo(SetteiPage::kMenu);
      if (k > 0) {
        EXPECT_FALSE(ListView_GetCheckState(list, k - 1)) << "opened as saved";
        ListView_SetCheckState(list, k - 1, TRUE);
      }
      ListView_SetCheckState(list, k, FALSE);
      SendMessageW(C(kOk), BM_CLICK, 0, 0);
    });
    for (int e = 0; e < kVisibleMenuEntries; ++e) {
      EXPECT_EQ(Saved(L"VisibleMenuItems", (L"Value" + std::to_wstring(e)).c_str()), e == k ? L"0" : L"1")
          << "entry " << k << " cleared, value " << e;
    }
  }
}

// The tray menu reads the window's live values each time it opens: a
// cleared entry hides its item at once, and Cancel brings it back.
TEST_F(SetteiFormTest, AClearedMenuEntryHidesItsItemAtOnceAndCancelBringsItBack) {
  tray::PopupMenuModel menu;
  const auto shown = [&](int tag) {
    menu.ApplyVisibility(form.pages().VisibleMenuItems);
    for (const tray::MenuItem& item : menu.items()) {
      if (item.tag == tag) return item.visible;
    }
    ADD_FAILURE() << "no menu item with tag " << tag;
    return false;
  };
  const HWND list = C(kListVisibleMenu);
  WhileOpen([&] {
    TurnTo(SetteiPage::kMenu);
    EXPECT_TRUE(shown(103));
    SetFocus(list);
    ListView_SetItemState(list, 3, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    PostKey(list, VK_SPACE);  // the space bar turns the focused entry's check
    EXPECT_FALSE(ListView_GetCheckState(list, 3));
    EXPECT_FALSE(form.pages().VisibleMenuItems[3]) << "at the moment of the click";
    EXPECT_FALSE(shown(103));
    EXPECT_TRUE(shown(102));
    EXPECT_TRUE(shown(104));
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(form.pages().VisibleMenuItems[3]) << "Cancel brings the item back";
  EXPECT_TRUE(shown(103));
  EXPECT_EQ(Settei(), "");
  WhileOpen([&] {
    EXPECT_TRUE(ListView_GetCheckState(list, 3)) << "and the entry is checked again";
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
}

// The sliders moved by the keyboard and by a click on the channel: the
// control's own notification carries the value, and its hint follows.
TEST_F(SetteiFormTest, TheSlidersMovedByKeysAndClicksAreWhatOkSaves) {
  WhileOpen([&] {
    const HWND tray = C(kTrackTrayWait);
    SetFocus(tray);
    PostKey(tray, VK_NEXT);  // a page: 100 ms
    PostKey(tray, VK_NEXT);
    PostKey(tray, VK_RIGHT);  // a line: 10 ms
    EXPECT_EQ(SendMessageW(tray, TBM_GETPOS, 0, 0), 710);
    EXPECT_EQ(form.pages().TrayIconWaitTime, 710);
    EXPECT_EQ(Hints()[tray], L"0.71秒");

    TurnTo(SetteiPage::kOperation);
    const HWND wait = C(kTrackWait);
    RECT thumb{}, channel{};
    SendMessageW(wait, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    SendMessageW(wait, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const LPARAM at = MAKELPARAM((thumb.right + channel.right) / 2, (channel.top + channel.bottom) / 2);
    SendMessageW(wait, WM_LBUTTONDOWN, MK_LBUTTON, at);  // right of the thumb: a page that way
    SendMessageW(wait, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(SendMessageW(wait, TBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(Hints()[wait], L"0.1秒");
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(Saved(L"TrayIconWaitTime", L"Value"), L"710") << Settei();
  EXPECT_EQ(Saved(L"VolumeChangeWaitTime", L"Value"), L"100");
  EXPECT_EQ(host.main.TrayIconWaitTime, 710);
  EXPECT_EQ(host.main.VolumeChangeWaitTime, 100);
}

// End and Home take each slider to the ends its labels name: 0 to 2 seconds
// for the tray icon's wait, 小 to 大 (0 to 1 second) for the volume's.
TEST_F(SetteiFormTest, TheSlidersReachTheEndsTheirLabelsName) {
  EXPECT_EQ(TextOf(kLabelTrayWaitMin), L"0");
  EXPECT_EQ(TextOf(kLabelTrayWaitMax), L"2秒");
  EXPECT_EQ(TextOf(kLabelWaitMin), L"小");
  EXPECT_EQ(TextOf(kLabelWaitMax), L"大");
  WhileOpen([&] {
    const HWND tray = C(kTrackTrayWait);
    SetFocus(tray);
    PostKey(tray, VK_END);
    EXPECT_EQ(SendMessageW(tray, TBM_GETPOS, 0, 0), 2000);
    EXPECT_EQ(form.pages().TrayIconWaitTime, 2000);
    EXPECT_EQ(Hints()[tray], L"2秒");
    PostKey(tray, VK_HOME);
    EXPECT_EQ(form.pages().TrayIconWaitTime, 0);
    EXPECT_EQ(Hints()[tray], L"0秒");

    TurnTo(SetteiPage::kOperation);
    const HWND wait = C(kTrackWait);
    SetFocus(wait);
    PostKey(wait, VK_END);
    EXPECT_EQ(SendMessageW(wait, TBM_GETPOS, 0, 0), 1000);
    EXPECT_EQ(form.pages().VolumeChangeWaitTime, 1000);
    EXPECT_EQ(Hints()[wait], L"1秒");
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
}

TEST_F(SetteiFormTest, ATypedKeyNameIsWhatOkSaves) {
  WhileOpen([&] {
    TurnTo(SetteiPage::kOperation);
    TypeText(C(kEditMainKey), L"変換キー");
    EXPECT_EQ(TextOf(kEditMainKey), L"変換キー");
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(Saved(L"KeyBoad", L"MainKeyName"), L"変換キー") << Settei();
  EXPECT_EQ(Saved(L"KeyBoad", L"MainKeyCode"), L"29") << "typing names the key, it does not change it";
  EXPECT_EQ(host.main.Keyboard.MainKey.name, "変換キー");
  EXPECT_EQ(host.main.Keyboard.MainKey.code, 29);
}

TEST_F(SetteiFormTest, TheKeyRowsAreLabelledTopToBottom) {
  const std::pair<int, const wchar_t*> rows[] = {{kLabelMainKey, L"メインキー:"},
                                                 {kLabelMuteKey, L"ミュート:"},
                                                 {kLabelUpKey, L"音量上昇:"},
                                                 {kLabelDownKey, L"音量下降:"}};
  LONG top = -1;
  for (const auto& [id, caption] : rows) {
    EXPECT_EQ(TextOf(id), caption);
    RECT r;
    GetWindowRect(C(id), &r);
    EXPECT_GT(r.top, top) << caption;
    top = r.top;
  }
}

// --- the refusals' words -----------------------------------------------------------

TEST_F(SetteiFormTest, TheSameKeyTwiceIsRefusedInTheseWords) {
  bool seen = false;
  std::wstring text;
  WhileOpen([&] {
    TurnTo(SetteiPage::kOperation);
    SendMessageW(C(kBtnVolumeUpKeyChange), BM_CLICK, 0, 0);
    PostKey(C(kEditStep), VK_LEFT);  // the key of 音量下降
    SendMessageW(C(kBtnVolumeUpKeyChange), BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(kLabelVolumeUpKeyCode), L"37");
    TurnTo(SetteiPage::kMeter);
    g_boxSeen = &seen;
    g_boxText = &text;
    SetTimer(nullptr, 0, 100, CloseMessageBox);
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.visible()) << "refused: the window stays";
    EXPECT_EQ(ShownPage(), static_cast<int>(SetteiPage::kOperation));
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  g_boxSeen = nullptr;
  g_boxText = nullptr;
  EXPECT_TRUE(seen);
  EXPECT_EQ(text, L"同じキーが設定されています。");
  EXPECT_EQ(Settei(), "");
}

TEST_F(SetteiFormTest, AShowTimeOutOfRangeIsRefusedInTheseWords) {
  bool seen = false;
  std::wstring text;
  WhileOpen([&] {
    TypeText(C(kEditShowTime), L"31");
    EXPECT_EQ(TextOf(kEditShowTime), L"31");
    TurnTo(SetteiPage::kMenu);
    g_boxSeen = &seen;
    g_boxText = &text;
    SetTimer(nullptr, 0, 100, CloseMessageBox);
    SendMessageW(C(kOk), BM_CLICK, 0, 0);
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(ShownPage(), static_cast<int>(SetteiPage::kMeter));
    EXPECT_EQ(GetFocus(), C(kEditShowTime));
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  g_boxSeen = nullptr;
  g_boxText = nullptr;
  EXPECT_TRUE(seen);
  EXPECT_EQ(text, L"音量メーターの表示時間は1～30秒を半角で入力してください。");
  EXPECT_EQ(Settei(), "");
}

// --- the hints ----------------------------------------------------------------------

// Every hint the window registers, and no other: the "確認" buttons, the
// band times, the "変更" buttons, the sliders and the device lists (on the
// frame and on the combo box inside it).
TEST_F(SetteiFormTest, EveryHintReadsAsWritten) {
  WhileOpen([&] {
    const std::wstring check = L"ここをクリックすると音量を確認できます。";
    const std::wstring bandTime = L"1度設定した時間帯を無効にするには\r\n時間の欄をすべて空欄にしてください。";
    const std::wstring change = L"変更するには、ここをクリックしてから設定したいキーを押してください。";
    std::vector<std::pair<HWND, std::wstring>> expected;
    for (int b = 0; b < 3; ++b) {
      expected.emplace_back(C(Band(b, kBandKakunin)), check);
      for (int part : {kBandStartHour, kBandStartMinute, kBandEndHour, kBandEndMinute}) {
        expected.emplace_back(C(Band(b, part)), bandTime);
      }
    }
    expected.emplace_back(C(kBtnNormalVolumeKakunin), check);
    for (int id : {kBtnMainKeyChange, kBtnMuteKeyChange, kBtnVolumeUpKeyChange, kBtnVolumeDownKeyChange}) {
      expected.emplace_back(C(id), change);
    }
    expected.emplace_back(C(kTrackTrayWait), L"0.5秒");
    expected.emplace_back(C(kTrackWait), L"0秒");
    for (int id : {kComboIconDevice, kComboMeterDevice}) {
      expected.emplace_back(C(id), L"HDMI");  // the default device, chosen on opening
      expected.emplace_back(Inner(id), L"HDMI");
    }
    std::map<HWND, std::wstring> hints = Hints();
    EXPECT_EQ(hints.size(), expected.size());
    for (const auto& [w, text] : expected) {
      ASSERT_TRUE(w);
      const auto it = hints.find(w);
      if (it == hints.end()) {
        ADD_FAILURE() << "no hint on control " << GetDlgCtrlID(w);
        continue;
      }
      EXPECT_EQ(it->second, text) << "control " << GetDlgCtrlID(w);
    }

    // A capture that runs asks for the key to be confirmed, and a confirmed
    // one goes back to the first hint.
    TurnTo(SetteiPage::kOperation);
    SendMessageW(C(kBtnMuteKeyChange), BM_CLICK, 0, 0);
    EXPECT_EQ(Hints()[C(kBtnMuteKeyChange)], L"ここをクリックしてキーを確定してください。");
    EXPECT_EQ(Hints()[C(kBtnMainKeyChange)], change);
    SendMessageW(C(kBtnMuteKeyChange), BM_CLICK, 0, 0);
    EXPECT_EQ(Hints()[C(kBtnMuteKeyChange)], change);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
}

}  // namespace
}  // namespace volmaru::settings
