// The settings window with the real controls and fonts: nothing clipped at
// the design size, the digit fields, key capture taking the keys from the
// message loop, and OK saving once and handing over.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/message_pump_win.h"
#include "common/handle_win.h"
#include "common/text_win.h"
#include "settings/settei_form_win.h"
#include "settings/settei_layout.h"
#include "tests/settings/fake_settei_host.h"

namespace volmaru::settings {
namespace {

using namespace ctl;

std::string TempFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  static int n = 0;
  const std::string folder =
      Narrow(tmp) + "volmaru-settei-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++n) + "\\";
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

// Answers the first message box titled "ボルマル" with OK, and notes that it
// came.
bool* g_boxSeen = nullptr;
void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindWindowW(L"#32770", L"ボルマル");
  if (!box) return;  // not up yet: the timer fires again
  KillTimer(nullptr, id);
  if (g_boxSeen) *g_boxSeen = true;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
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
    app::SetMessageFilter([this](MSG& m) { return form.PreTranslate(m); });
  }
  void TearDown() override { app::SetMessageFilter(nullptr); }

  HWND C(int id) { return form.Control(id); }
  std::wstring TextOf(int id) {
    wchar_t buf[512] = {};
    GetWindowTextW(C(id), buf, 512);
    return buf;
  }
  std::string Settei() { return ReadFileText(folder + "Settei.ini"); }
};

TEST_F(SetteiFormTest, ThePagesHoldTheirDesignArea) {
  RECT w;
  GetWindowRect(form.hwnd(), &w);
  EXPECT_EQ(w.right - w.left, kSetteiWidth);
  EXPECT_EQ(w.bottom - w.top, kSetteiHeight);
  for (int p = 0; p < kSetteiPageCount; ++p) {
    HWND page = nullptr;
    for (const ControlDesign& c : SetteiControls()) {
      if (c.page == p && !c.parent) page = GetParent(C(c.id));
    }
    ASSERT_TRUE(page) << p;
    RECT r;
    GetClientRect(page, &r);
    EXPECT_GE(r.right, kPageWidth) << "page " << p;
    EXPECT_GE(r.bottom, kPageHeight) << "page " << p;
  }
}

// Each caption measured in the window's own font fits its control.
TEST_F(SetteiFormTest, NoCaptionIsClipped) {
  const int box = GetSystemMetrics(SM_CXMENUCHECK) + 6;
  for (const ControlDesign& c : SetteiControls()) {
    if (c.caption.empty()) continue;
    const HWND w = C(c.id);
    ASSERT_TRUE(w) << c.id;
    const std::wstring text = Widen(c.caption);
    WindowDc dc(w);
    SelectGuard font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)));
    RECT r{0, 0, c.w, 0};
    int room = c.w;
    switch (c.kind) {
      case ControlKind::kCheck:
      case ControlKind::kRadio:
        room -= box;
        break;
      case ControlKind::kButton:
        room -= 8;
        break;
      case ControlKind::kGroup:
        room -= 20;
        break;
      default:
        break;
    }
    r.right = room;
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_NOPREFIX | ((c.flags & kMultiLine) ? DT_WORDBREAK : DT_SINGLELINE));
    EXPECT_LE(r.right, room) << c.id << " \"" << c.caption << "\" is " << r.right << " wide in " << room;
    if (c.kind != ControlKind::kGroup) {
      EXPECT_LE(r.bottom, c.h) << c.id << " \"" << c.caption << "\" is " << r.bottom << " high in " << c.h;
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
    app::ProcessPendingMessages();
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
    app::PumpMessagesFor(350);
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
    app::ProcessPendingMessages();
    EXPECT_EQ(TextOf(kLabelMainKeyCode), L"29") << "Wine has no IME to name the key: nothing bound";
    PostMessageW(C(kEditStep), WM_KEYDOWN, VK_CONVERT, 1 | (0x79 << 16));
    app::ProcessPendingMessages();
    EXPECT_EQ(TextOf(kLabelMainKeyCode), L"28");
    SendMessageW(C(kBtnMainKeyChange), BM_CLICK, 0, 0);
    SendMessageW(C(kCancel), BM_CLICK, 0, 0);
  });
  form.ShowModal();
}

}  // namespace
}  // namespace volmaru::settings
