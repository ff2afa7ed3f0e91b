// The meter window over real user32 controls with a stand-in host: the
// drop-down's list mirrors the saved volumes in list order, Enter in the
// edit field applies, showing never activates the meter but leaves "変更"
// with the focus for when it is activated, the mute display keeps its bar
// hidden when the box loses the focus, closing the list gives the box its
// height and the bar back, focus in the drop-down starts an edit unless it
// came with the meter (the main key held, the pointer at the tray icon), and
// the main key's character ends the edit.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/dpi_change_win.h"
#include "common/handle_win.h"
#include "common/dpi_win.h"
#include "common/text_win.h"
#include "meter/volume_bar_form_win.h"
#include "settings/file_port.h"
#include "settings/settings_schema.h"

namespace volmaru::meter {
namespace {

class FakeMeterHost final : public MeterHost {
 public:
  std::string folder;
  int volume = 40;
  bool muted = false;
  std::vector<int> setCalls;
  uint32_t lastVolumeStepAt = 0;
  uint32_t meterShownAt = 0;
  int holds = 0;
  int pauses = 0;
  BoxPoint trayPoint{-1000, -1000};  // far from any pointer on the screen
  int mainKeyCode = 29;              // 無変換
  bool mainKeyDown = false;

  bool StartupComplete() override { return true; }
  bool HostAlive() override { return true; }
  std::string DataFolder() override { return folder; }
  int CurrentVolume() override { return volume; }
  bool MuteShown() override { return muted; }
  BarColourInputs ColourInputs() override { return {}; }
  bool SetVolume(int v) override {
    setCalls.push_back(v);
    volume = v;
    return true;
  }
  int LastVolume() override { return volume; }
  void SetLastVolumeStepAt(uint32_t now) override { lastVolumeStepAt = now; }
  void SetMeterShownAt(uint32_t now) override { meterShownAt = now; }
  bool NoChangeByMouse() override { return false; }
  BoxPoint TrayPointPos() override { return trayPoint; }
  int MainKeyCode() override { return mainKeyCode; }
  bool MainKeyDown() override { return mainKeyDown; }
  void PauseTimer() override {
    ++holds;
    ++pauses;
  }
  void ResumeTimer() override { --holds; }
};

std::string TempFolder() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string folder = Narrow(tmp) + "volmaru-meter-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder + "\\";
}

HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text) { return FindWindowExW(parent, nullptr, cls, text); }

std::vector<std::string> ComboItems(HWND combo) {
  std::vector<std::string> out;
  const auto count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
    item.resize(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    out.push_back(Narrow(item));
  }
  return out;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

class VolumeBarFormWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.folder = TempFolder();
    settings::SystemFiles().ReplaceFile(host.folder + settings::kSettingsFileName,
                                        "[SavedVolume]\r\nCount=4\r\n0=5\r\n1=20\r\n2=100\r\n");
    // Another window of this thread has the activation, as a program the
    // user works in would have it.
    other.reset(CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr));
    SetForegroundWindow(other.get());
    SetActiveWindow(other.get());
    ASSERT_TRUE(meter.Create(GetModuleHandleW(nullptr), host, nullptr));
    combo = Child(meter.hwnd(), L"ComboBox", nullptr);
    apply = Child(meter.hwnd(), L"Button", L"変更");
    remove = Child(meter.hwnd(), L"Button", L"登録削除");
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    edit = info.hwndItem;
    ASSERT_TRUE(combo && apply && remove && edit);
  }
  void TearDown() override {
    DeleteFileW(Widen(host.folder + settings::kSettingsFileName).c_str());
    RemoveDirectoryW(Widen(host.folder).c_str());
  }

  FakeMeterHost host;
  UniqueWindow other;
  TVolumeBarForm meter;
  HWND combo = nullptr;
  HWND apply = nullptr;
  HWND remove = nullptr;
  HWND edit = nullptr;
};

using volmaru::testing::FontPixels;
using volmaru::testing::SendDpiChanged;

// A DPI change places the meter anew at the new DPI: its size, the box's
// controls and their font; the old fonts go.
TEST_F(VolumeBarFormWinTest, ADpiChangePlacesTheMeterAnew) {
  meter.Show();
  meter.DrawMeter();
  const int first = WindowDpi(meter.hwnd());
  const int to = first == 144 ? 192 : 144;
  const Dpi dpi{to};
  const long fontsBefore = LiveHandleCount(HandleKind::kFont).load();
  SendDpiChanged(meter.hwnd(), first, to);
  const Placement expected = PlaceMeter(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), kBottom, {}, dpi);
  EXPECT_EQ(meter.WindowRect(), expected.window);
  EXPECT_EQ(FontPixels(apply), -dpi(12));
  RECT r;
  GetWindowRect(apply, &r);
  MapWindowPoints(nullptr, meter.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, expected.boxLeft + dpi(85));
  EXPECT_EQ(r.top, expected.boxTop + dpi(4));
  EXPECT_EQ(r.right - r.left, dpi(40));
  EXPECT_EQ(r.bottom - r.top, dpi(25));
  EXPECT_EQ(LiveHandleCount(HandleKind::kFont).load(), fontsBefore) << "the old fonts are gone";
  SendDpiChanged(meter.hwnd(), to, first);
  EXPECT_EQ(meter.WindowRect(),
            PlaceMeter(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), kBottom, {}, Dpi{first}).window);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, ListMirrorsTheSavedVolumesAndTheEditFollowsTheDrawing) {
  // Key 3 is missing: a blank entry, first in the list.
  EXPECT_EQ(ComboItems(combo), (std::vector<std::string>{" ", "100", "20", "5"}));
  EXPECT_EQ(ComboItems(combo), meter.savedVolumeItems());
  EXPECT_FALSE(IsWindowVisible(combo));  // hidden until the first drawing
  meter.Show();
  meter.DrawMeter();
  EXPECT_TRUE(IsWindowVisible(combo));
  EXPECT_EQ(meter.BoxEditText(), L"40");
  EXPECT_FALSE(IsWindowEnabled(remove));
  host.volume = 73;
  meter.IsEditingBox = true;
  meter.DrawMeter();
  EXPECT_EQ(meter.BoxEditText(), L"73");
  EXPECT_FALSE(meter.IsEditingBox);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, EnterInTheEditAppliesAndFocusesApply) {
  meter.Show();
  meter.DrawMeter();
  SetForegroundWindow(meter.hwnd());
  SetActiveWindow(meter.hwnd());
  SetFocus(edit);
  SetWindowTextW(combo, L"20");  // saved already: no question
  SendMessageW(edit, WM_CHAR, VK_RETURN, 0);
  EXPECT_EQ(host.setCalls, (std::vector<int>{20}));
  EXPECT_NE(host.lastVolumeStepAt, 0u);
  EXPECT_EQ(host.pauses, 1);
  EXPECT_EQ(host.holds, 0);
  EXPECT_EQ(GetFocus(), apply);
  EXPECT_EQ(meter.BoxEditText(), L"20");  // the edit kept no "\r"
  EXPECT_FALSE(meter.IsEditingBox);
  // Other characters reach the edit field.
  SetFocus(edit);
  SetWindowTextW(combo, L"");
  SendMessageW(edit, WM_CHAR, L'7', 0);
  EXPECT_EQ(meter.BoxEditText(), L"7");
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, ShowingDoesNotActivateButApplyGetsTheFocusOnActivation) {
  meter.Show();
  meter.DrawMeter();
  Pump();
  EXPECT_NE(GetActiveWindow(), meter.hwnd());
  EXPECT_EQ(GetActiveWindow(), other.get());
  EXPECT_NE(GetFocus(), apply);
  // Brought to the front (the callers use ForceForeground): "変更" has it.
  SetForegroundWindow(meter.hwnd());
  SetActiveWindow(meter.hwnd());
  Pump();
  EXPECT_EQ(GetActiveWindow(), meter.hwnd());
  EXPECT_EQ(GetFocus(), apply);
  // A focus the user moved survives a deactivation while the meter stays.
  SetFocus(edit);
  SetActiveWindow(other.get());
  SetActiveWindow(meter.hwnd());
  EXPECT_EQ(GetFocus(), edit);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, MuteDisplayKeepsTheBarHiddenWhenTheBoxLosesTheFocus) {
  meter.Show();
  meter.DrawMeter();
  SetForegroundWindow(meter.hwnd());
  SetActiveWindow(meter.hwnd());
  SetFocus(edit);
  ASSERT_EQ(GetFocus(), edit);
  ASSERT_TRUE(meter.barVisible());
  host.muted = true;
  meter.RefreshMeter();  // hides the box, and the focus leaves it
  EXPECT_EQ(GetFocus(), meter.hwnd());
  EXPECT_FALSE(meter.barVisible());
  EXPECT_EQ(meter.numberText(), L"ミュート");
  meter.Close();
}

// What a button shows, drawn through the meter's handling of its paint:
// how many of its pixels are navy, red, or the grey of a disabled caption.
// Its frame is left out: the rounded corners let the box's navy through.
struct CaptionPixels {
  int navy = 0, red = 0, grey = 0;
};
CaptionPixels DrawnCaption(HWND button) {
  RECT r;
  GetClientRect(button, &r);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueDc dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectGuard select(dc.get(), bitmap.get());
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();
  CaptionPixels out;
  const auto* px = static_cast<const uint32_t*>(bits);
  const int frame = Dpi{WindowDpi(button)}(2);
  for (int i = 0; i < r.right * r.bottom; ++i) {
    const int x = i % r.right, y = i / r.right;
    if (x < frame || y < frame || x >= r.right - frame || y >= r.bottom - frame) continue;
    const int b = px[i] & 0xFF, g = px[i] >> 8 & 0xFF, red = px[i] >> 16 & 0xFF;
    if (b >= 90 && red < 70 && g < 70) ++out.navy;
    if (red >= 170 && g < 90 && b < 90) ++out.red;
    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    if (std::abs(red - GetRValue(grey)) < 24 && std::abs(g - GetGValue(grey)) < 24 &&
        std::abs(b - GetBValue(grey)) < 24) {
      ++out.grey;
    }
  }
  return out;
}

TEST_F(VolumeBarFormWinTest, TheBoxButtonsShowTheirCaptionsInNavyAndRed) {
  meter.Show();
  meter.DrawMeter();
  const HWND cancel = Child(meter.hwnd(), L"Button", L"キャンセル");
  ASSERT_TRUE(cancel);
  const CaptionPixels applyPixels = DrawnCaption(apply);
  EXPECT_GT(applyPixels.navy, 4) << "変更 in navy";
  EXPECT_EQ(applyPixels.red, 0);
  const CaptionPixels cancelPixels = DrawnCaption(cancel);
  EXPECT_GT(cancelPixels.red, 4) << "キャンセル in red";
  EXPECT_EQ(cancelPixels.navy, 0);
  // "登録削除" is disabled until an entry is chosen: the disabled look, no red.
  ASSERT_FALSE(IsWindowEnabled(remove));
  const CaptionPixels disabled = DrawnCaption(remove);
  EXPECT_EQ(disabled.red, 0);
  EXPECT_GT(disabled.grey, 4);
  EnableWindow(remove, TRUE);
  EXPECT_GT(DrawnCaption(remove).red, 4) << "登録削除 in red once enabled";
  EnableWindow(remove, FALSE);
  meter.Close();
}

// The meter as it is on the screen: its client area copied from the
// window after every pending paint, one 0xRRGGBB value a pixel.
struct PaintedMeter {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)] & 0xFFFFFF; }
};
PaintedMeter Painted(HWND meter) {
  UpdateWindow(meter);
  RECT r;
  GetClientRect(meter, &r);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = r.right;
  bi.bmiHeader.biHeight = -r.bottom;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueDc dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectGuard select(dc.get(), bitmap.get());
  {
    WindowDc window(meter);
    BitBlt(dc.get(), 0, 0, r.right, r.bottom, window.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  PaintedMeter out{r.right, r.bottom, {}};
  const auto* px = static_cast<const uint32_t*>(bits);
  out.pixels.assign(px, px + static_cast<size_t>(r.right) * static_cast<size_t>(r.bottom));
  return out;
}
// The box is painted navy; its left edge (3 design units in, one pixel
// further) has no control over it on a meter at the bottom of the screen.
int NavyRowsOfTheBox(const PaintedMeter& m, Dpi dpi) {
  int rows = 0;
  for (int y = 0; y < m.height; ++y) rows += m.At(dpi(3) + 1, y) == 0x000080 ? 1 : 0;
  return rows;
}
// The bar's dots are lime (the default colour); below the closed box only
// the dots are, the number above them is lime too.
int LimePixelsFrom(const PaintedMeter& m, int top) {
  int n = 0;
  for (int y = top; y < m.height; ++y) {
    for (int x = 0; x < m.width; ++x) n += m.At(x, y) == 0x00FF00 ? 1 : 0;
  }
  return n;
}

TEST_F(VolumeBarFormWinTest, ClosingTheListGivesTheBoxItsHeightAndTheBarBack) {
  meter.Show();
  meter.DrawMeter();
  Pump();
  // The box's 67 rows and the bar below it, at the meter's DPI.
  const Dpi dpi{WindowDpi(meter.hwnd())};
  const int boxHeight = dpi(67), below = dpi(3) + dpi(67);
  const PaintedMeter before = Painted(meter.hwnd());
  ASSERT_EQ(NavyRowsOfTheBox(before, dpi), boxHeight);
  const int barPixels = LimePixelsFrom(before, below);
  ASSERT_GT(barPixels, 1000);

  // Opening the list makes the box as tall as the list and hides the bar,
  // which the list would cover.
  SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
  Pump();
  ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  const PaintedMeter open = Painted(meter.hwnd());
  EXPECT_GT(NavyRowsOfTheBox(open, dpi), boxHeight);
  EXPECT_EQ(LimePixelsFrom(open, below), 0);
  EXPECT_FALSE(meter.barVisible());

  SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  Pump();
  ASSERT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0));
  const PaintedMeter closed = Painted(meter.hwnd());
  EXPECT_EQ(NavyRowsOfTheBox(closed, dpi), boxHeight);
  EXPECT_TRUE(meter.barVisible());
  EXPECT_EQ(LimePixelsFrom(closed, below), barPixels);
  meter.Close();
}

// The meter shown, then brought to the front with "変更" focused, as the
// main window's ForceForeground or a click into the box does it.
void ShowActive(TVolumeBarForm& meter, HWND apply) {
  meter.Show();
  meter.DrawMeter();
  SetForegroundWindow(meter.hwnd());
  SetActiveWindow(meter.hwnd());
  Pump();
  ASSERT_EQ(GetFocus(), apply);
  ASSERT_FALSE(meter.IsEditingBox);
}

// The focus leaves the meter with the edit field focused, the volume
// changes meanwhile (which ends an edit), and the meter is activated again:
// it takes the focus back to the edit field.
void FocusTakenBackToTheEdit(TVolumeBarForm& meter, HWND other, HWND edit) {
  ASSERT_EQ(GetFocus(), edit);
  SetActiveWindow(other);
  meter.DrawMeter();
  ASSERT_FALSE(meter.IsEditingBox);
  SetActiveWindow(meter.hwnd());
  Pump();
  ASSERT_EQ(GetFocus(), edit);
}

TEST_F(VolumeBarFormWinTest, FocusInTheDropDownStartsAnEdit) {
  ASSERT_NO_FATAL_FAILURE(ShowActive(meter, apply));
  // Clicked or tabbed into: the meter stays while the user types.
  SetFocus(edit);
  EXPECT_TRUE(meter.IsEditingBox);
  ASSERT_NO_FATAL_FAILURE(FocusTakenBackToTheEdit(meter, other.get(), edit));
  EXPECT_TRUE(meter.IsEditingBox);
  // Leaving the drop-down for "変更" does not end it; coming back starts it.
  SetFocus(apply);
  EXPECT_TRUE(meter.IsEditingBox);
  meter.DrawMeter();
  SetFocus(edit);
  EXPECT_TRUE(meter.IsEditingBox);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, FocusThatComesWhileTheMainKeyIsHeldStartsNoEdit) {
  ASSERT_NO_FATAL_FAILURE(ShowActive(meter, apply));
  SetFocus(edit);
  // The main key held shows the meter and brings it to the front.
  host.mainKeyDown = true;
  ASSERT_NO_FATAL_FAILURE(FocusTakenBackToTheEdit(meter, other.get(), edit));
  EXPECT_FALSE(meter.IsEditingBox);
  SetFocus(apply);
  SetFocus(edit);
  EXPECT_FALSE(meter.IsEditingBox);
  host.mainKeyDown = false;
  SetFocus(apply);
  SetFocus(edit);
  EXPECT_TRUE(meter.IsEditingBox);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, FocusThatComesWithTheTrayPointerStartsNoEdit) {
  SetCursorPos(400, 300);  // over no window of the test
  POINT at{};
  ASSERT_TRUE(GetCursorPos(&at));
  ASSERT_NO_FATAL_FAILURE(ShowActive(meter, apply));
  SetFocus(edit);
  meter.DrawMeter();
  // The meter shown by pointing at the tray icon: the pointer is still
  // within 16 pixels of the place it pointed at, on both axes.
  host.trayPoint = {at.x + 16, at.y - 16};
  ASSERT_NO_FATAL_FAILURE(FocusTakenBackToTheEdit(meter, other.get(), edit));
  EXPECT_FALSE(meter.IsEditingBox);
  host.trayPoint = {at.x - 16, at.y + 16};
  SetFocus(apply);
  SetFocus(edit);
  EXPECT_FALSE(meter.IsEditingBox);
  // One pixel further on either axis, and the focus is the user's.
  host.trayPoint = {at.x + 17, at.y};
  SetFocus(apply);
  SetFocus(edit);
  EXPECT_TRUE(meter.IsEditingBox);
  meter.DrawMeter();
  host.trayPoint = {at.x, at.y - 17};
  ASSERT_NO_FATAL_FAILURE(FocusTakenBackToTheEdit(meter, other.get(), edit));
  EXPECT_TRUE(meter.IsEditingBox);
  meter.Close();
}

TEST_F(VolumeBarFormWinTest, TheMainKeysCharacterInTheEditEndsTheEdit) {
  ASSERT_NO_FATAL_FAILURE(ShowActive(meter, apply));
  SetFocus(edit);
  SetWindowTextW(combo, L"");
  SendMessageW(edit, WM_CHAR, L'5', 0);
  ASSERT_TRUE(meter.IsEditingBox);
  SendMessageW(edit, WM_CHAR, 29, 0);  // 無変換, the main key
  EXPECT_FALSE(meter.IsEditingBox);
  EXPECT_EQ(meter.BoxEditText(), L"5");
  EXPECT_TRUE(host.setCalls.empty());
  EXPECT_EQ(GetFocus(), edit);
  // A main key with a character: the field takes it, and the edit ends
  // after it.
  host.mainKeyCode = 'K';
  SendMessageW(edit, WM_CHAR, L'j', 0);
  EXPECT_TRUE(meter.IsEditingBox);
  SendMessageW(edit, WM_CHAR, L'K', 0);
  EXPECT_FALSE(meter.IsEditingBox);
  EXPECT_EQ(meter.BoxEditText(), L"5jK");
  EXPECT_TRUE(host.setCalls.empty());
  EXPECT_EQ(GetFocus(), edit);
  meter.Close();
}

// What the meter paints onto its colour key, as the colours of its pixels.
std::vector<uint32_t> PaintedPixels(HWND meter, int& width, int& height) {
  RECT r;
  GetClientRect(meter, &r);
  width = r.right;
  height = r.bottom;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueDc dc(CreateCompatibleDC(nullptr));
  UniqueBitmap bitmap(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectGuard select(dc.get(), bitmap.get());
  SendMessageW(meter, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  GdiFlush();
  const auto* px = static_cast<const uint32_t*>(bits);
  return std::vector<uint32_t>(px, px + width * height);
}

uint32_t Rgb(COLORREF c) { return static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Smoothed text blends its edges with the colour key, and a blended pixel
// is no longer transparent: a fringe around the number and "ミュート". Every
// pixel the meter paints is one of its own colours.
TEST_F(VolumeBarFormWinTest, TextOverTheColourKeyHasNoBlendedEdges) {
  for (const bool muted : {false, true}) {
    host.muted = muted;
    meter.Show();
    if (muted) {
      meter.RefreshMeter();
    } else {
      meter.DrawMeter();
    }
    int w = 0, h = 0;
    const std::vector<uint32_t> pixels = PaintedPixels(meter.hwnd(), w, h);
    ASSERT_GT(w * h, 0);
    const std::vector<uint32_t> own = {Rgb(meter.background()), Rgb(meter.barColour()), Rgb(0x800000), 0,
                                       Rgb(0x0000FF)};
    int foreign = 0, text = 0;
    for (const uint32_t p : pixels) {
      const uint32_t c = p & 0xFFFFFF;
      if (std::find(own.begin(), own.end(), c) == own.end()) ++foreign;
      if (c == Rgb(muted ? 0x0000FF : meter.barColour())) ++text;
    }
    EXPECT_GT(text, 50) << "the " << (muted ? "mute text" : "number") << " was painted";
    EXPECT_EQ(foreign, 0) << (muted ? "ミュート" : "the number") << ": pixels blended with the key colour";
    meter.Close();
  }
  host.muted = false;
}

}  // namespace
}  // namespace volmaru::meter
