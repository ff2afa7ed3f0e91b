// The version window with the real user32: its design, the remembered size,
// the system's UI face for the other windows in their order, the right
// alignment, the main timer, the link's cursor and colour, and closing.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/dpi_change_win.h"
#include "about/version_form_win.h"
#include "common/dpi_win.h"
#include "common/text_win.h"
#include "settings/file_port.h"
#include "settings/time_format.h"

namespace volmaru::about {
namespace {

std::string ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return Narrow(p.substr(0, p.find_last_of(L'\\') + 1));
}

std::string TempFolder(const char* name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string dir = Narrow(tmp) + name + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  return dir;
}

class FakeHost : public VersionFormHost {
 public:
  int starts = 0;
  void StartMainTimer() override { ++starts; }
};

// A window with one edit control that records when it takes a face.
class OtherForm : public Form {
 public:
  OtherForm(std::vector<std::string>& log, const char* name) : log_(log), name_(name) {}
  bool Make() {
    if (!CreateForm(GetModuleHandleW(nullptr), L"VolmaruVersionTestOther", L"other", WS_OVERLAPPEDWINDOW, 0, nullptr)) {
      return false;
    }
    edit_ =
        CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 80, 20, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -13;
    lf.lfWeight = FW_BOLD;
    wcscpy(lf.lfFaceName, L"Tahoma");
    font_.reset(CreateFontIndirectW(&lf));
    SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    return true;
  }
  void SetFontFace(const std::wstring& face, const std::function<void()>& run) override {
    log_.push_back(name_);
    Form::SetFontFace(face, run);
  }
  HWND edit() const { return edit_; }

 private:
  std::vector<std::string>& log_;
  const char* name_;
  HWND edit_ = nullptr;
  UniqueFont font_;
};

std::wstring FaceOf(HWND wnd) {
  const auto font = reinterpret_cast<HFONT>(SendMessageW(wnd, WM_GETFONT, 0, 0));
  LOGFONTW lf{};
  if (!font || !GetObjectW(font, sizeof lf, &lf)) return L"";
  return lf.lfFaceName;
}

std::wstring IconTitleFace() {
  LOGFONTW lf{};
  SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof lf, &lf, 0);
  return lf.lfFaceName;
}

std::wstring TextOf(HWND wnd) {
  wchar_t buf[256] = {};
  GetWindowTextW(wnd, buf, 256);
  return buf;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct Fixture {
  std::string dir = TempFolder("volmaru-version-");
  std::string ini = dir + "Settei.ini";
  FakeHost host;
  std::vector<std::string> log;
  OtherForm meter{log, "meter"};
  OtherForm settings{log, "settings"};
  TLoudnessDialVersionForm form;
  ~Fixture() {
    DeleteFileW(Widen(ini).c_str());
    RemoveDirectoryW(Widen(dir).c_str());
  }
  bool Create(const std::string& exeFolder = ExeFolder()) {
    return meter.Make() && settings.Make() &&
           form.Create(GetModuleHandleW(nullptr), nullptr, exeFolder, ini, host, &meter, &settings);
  }
  void WriteIni(const std::string& text) {
    std::string bytes;
    for (char c : text) {
      if (c == '\n') bytes += '\r';
      bytes += c;
    }
    ASSERT_TRUE(settings::SystemFiles().ReplaceFile(ini, bytes));
  }
};

TEST(VersionFormWinTest, DesignTextsPlacesAndTheTimer) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const HWND w = f.form.hwnd();
  EXPECT_FALSE(IsWindowVisible(w));  // created hidden
  EXPECT_EQ(f.host.starts, 1);
  EXPECT_EQ(TextOf(w), L"ボルマルのバージョン情報");
  // The design in 96-dpi units, at the DPI the window is shown at.
  const Dpi dpi{WindowDpi(w)};
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, dpi(344)) << dpi.value << " dpi";
  EXPECT_EQ(client.bottom, dpi(127)) << dpi.value << " dpi";
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);

  EXPECT_EQ(TextOf(f.form.bevelLabel1().hwnd()), L"ボルマル");
  EXPECT_EQ(TextOf(f.form.Label2Window()), L"Ver 2.64  ");
  EXPECT_EQ(TextOf(f.form.bevelLabel2().hwnd()), Widen(kNoticeText));
  EXPECT_EQ(TextOf(f.form.LinkWindow()), Widen(kProjectUrl));
  EXPECT_EQ(f.form.bevelLabel1().label().ShadowColor(), 0x00FFFFu);
  EXPECT_EQ(f.form.bevelLabel2().label().FontColor(), 0xFF00FFu);
  EXPECT_EQ(f.form.bevelLabel2().label().ShadowColor(), 0x808000u);

  const RECT b1 = ChildRect(w, f.form.bevelLabel1().hwnd());
  EXPECT_EQ(b1.left, dpi(71));
  EXPECT_EQ(b1.top, dpi(19));
  const RECT l2 = ChildRect(w, f.form.Label2Window());
  // The version follows the name and is never under it.
  EXPECT_EQ(l2.left, VersionLeft(b1.right, dpi));
  EXPECT_GE(l2.left, b1.right);
  EXPECT_EQ(l2.top, dpi(39));
  EXPECT_EQ(l2.right - l2.left, dpi(95));  // fixed size
  EXPECT_EQ(l2.bottom - l2.top, dpi(25));
  // The notice and the link end 5 design units before the right edge.
  const RECT notice = ChildRect(w, f.form.bevelLabel2().hwnd());
  const RECT link = ChildRect(w, f.form.LinkWindow());
  EXPECT_EQ(notice.right, dpi(344) - dpi(5));
  EXPECT_EQ(notice.top, dpi(70));
  EXPECT_EQ(link.right, dpi(344) - dpi(5));
  EXPECT_EQ(link.top, dpi(103));
  // Every label's text fits inside the window.
  for (const HWND label :
       {f.form.bevelLabel1().hwnd(), f.form.Label2Window(), f.form.bevelLabel2().hwnd(), f.form.LinkWindow()}) {
    const RECT r = ChildRect(w, label);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, client.right);
    EXPECT_LE(r.bottom, client.bottom);
  }
}

TEST(VersionFormWinTest, TheUiFaceGoesToMeterSettingsAndPlainLabelsButNotTheBevelLabels) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const std::wstring face = IconTitleFace();
  ASSERT_FALSE(face.empty());
  EXPECT_EQ(f.log, (std::vector<std::string>{"meter", "settings"}));
  EXPECT_EQ(FaceOf(f.meter.edit()), face);
  EXPECT_EQ(FaceOf(f.settings.edit()), face);
  EXPECT_EQ(FaceOf(f.form.Label2Window()), face);
  EXPECT_EQ(FaceOf(f.form.LinkWindow()), face);
  EXPECT_EQ(FaceOf(f.form.bevelLabel1().hwnd()), L"Tahoma");
  EXPECT_EQ(FaceOf(f.form.bevelLabel2().hwnd()), L"Tahoma");
}

TEST(VersionFormWinTest, RememberedSizeIsUsedAndTheClosedSizeWritten) {
  Fixture f;
  f.WriteIni("[VersionForm]\nWidth=520\nHeight=230\n");
  ASSERT_TRUE(f.Create());
  const HWND w = f.form.hwnd();
  // The file's sizes are design units.
  const Dpi dpi{WindowDpi(w)};
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, dpi(520));
  EXPECT_EQ(r.bottom - r.top, dpi(230));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(ChildRect(w, f.form.LinkWindow()).right, client.right - dpi(5));
  // Centred on the screen.
  EXPECT_NEAR(r.left + (r.right - r.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);

  f.form.Open();
  EXPECT_TRUE(IsWindowVisible(w));
  SetWindowPos(w, nullptr, 0, 0, dpi(450), dpi(200), SWP_NOMOVE | SWP_NOZORDER);
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(w));  // closing only hides it
  EXPECT_FALSE(IsWindowVisible(w));
  settings::ProfileFile file(settings::SystemFiles(), f.ini);
  EXPECT_EQ(file.Read("VersionForm", "Width"), "450");
  EXPECT_EQ(file.Read("VersionForm", "Height"), "200");

  // Minimised, the window's restored size is the one written.
  f.form.Open();
  ShowWindow(w, SW_MINIMIZE);
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_EQ(file.Read("VersionForm", "Width"), "450");
}

TEST(VersionFormWinTest, WithoutASettingsFileTheDesignSizeStays) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const Dpi dpi{WindowDpi(f.form.hwnd())};
  RECT r{0, 0, dpi(344), dpi(127)};
  AdjustWindowRectForDpi(r, static_cast<DWORD>(GetWindowLongW(f.form.hwnd(), GWL_STYLE)), 0, dpi.value);
  RECT w;
  GetWindowRect(f.form.hwnd(), &w);
  EXPECT_EQ(w.right - w.left, r.right - r.left);
  EXPECT_EQ(w.bottom - w.top, r.bottom - r.top);
}

LPARAM SetCursorParam() { return MAKELPARAM(HTCLIENT, WM_MOUSEMOVE); }

TEST(VersionFormWinTest, TheHandShowsOverTheLinkOnly) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const HWND link = f.form.LinkWindow();
  // The program folder's "Data\Hand.cur" (the build puts it there).
  ASSERT_TRUE(f.form.HandFileCursor()) << ExeFolder() << "Data\\Hand.cur";
  EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), SetCursorParam()));
  EXPECT_EQ(GetCursor(), f.form.HandFileCursor());
  // Over the window's background and over another label: the arrow, also
  // right after the pointer left the link straight out of the window.
  SendMessageW(link, WM_MOUSELEAVE, 0, 0);
  SendMessageW(f.form.Label2Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.form.Label2Window()), SetCursorParam());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), SetCursorParam());
  SendMessageW(f.form.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(f.form.hwnd()), SetCursorParam());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST(VersionFormWinTest, WithoutHandCurTheSystemHandIsUsed) {
  Fixture f;
  ASSERT_TRUE(f.Create(f.dir));  // a folder without "Data"
  EXPECT_FALSE(f.form.HandFileCursor());
  const HWND link = f.form.LinkWindow();
  EXPECT_TRUE(SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link), SetCursorParam()));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST(VersionFormWinTest, TheLinkIsRedWhilePointedAtAndBlackAfterLeavingAnyWay) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const HWND link = f.form.LinkWindow();
  EXPECT_FALSE(f.form.LinkHot());
  SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(f.form.LinkHot());
  SendMessageW(f.form.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // the background
  EXPECT_FALSE(f.form.LinkHot());
  SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(f.form.LinkHot());
  SendMessageW(link, WM_MOUSELEAVE, 0, 0);  // straight out of the window
  EXPECT_FALSE(f.form.LinkHot());
  // The pointer passes through the other labels to the window.
  EXPECT_EQ(SendMessageW(f.form.Label2Window(), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  EXPECT_EQ(SendMessageW(link, WM_NCHITTEST, 0, 0), HTCLIENT);
}

using volmaru::testing::FontPixels;
using volmaru::testing::SendDpiChanged;

// A DPI change: the suggested rectangle, the labels at their design places
// at the new DPI with fonts of the new size, the right alignment kept.
TEST(VersionFormWinTest, ADpiChangeLaysTheLabelsOutAgain) {
  Fixture f;
  ASSERT_TRUE(f.Create());
  const HWND w = f.form.hwnd();
  const int first = WindowDpi(w);
  const int to = first == 144 ? 192 : 144;
  const Dpi dpi{to};
  const RECT suggested = SendDpiChanged(w, first, to);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, suggested.right - suggested.left);
  EXPECT_EQ(r.bottom - r.top, suggested.bottom - suggested.top);
  const RECT b1 = ChildRect(w, f.form.bevelLabel1().hwnd());
  EXPECT_EQ(b1.left, dpi(71));
  EXPECT_EQ(b1.top, dpi(19));
  const RECT l2 = ChildRect(w, f.form.Label2Window());
  EXPECT_EQ(l2.left, VersionLeft(b1.right, dpi));
  EXPECT_EQ(l2.top, dpi(39));
  EXPECT_EQ(l2.right - l2.left, dpi(95));
  EXPECT_EQ(FontPixels(f.form.LinkWindow()), -dpi(kLabelURL.fontPixels));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(ChildRect(w, f.form.LinkWindow()).right, client.right - dpi(5));
  EXPECT_EQ(ChildRect(w, f.form.bevelLabel2().hwnd()).right, client.right - dpi(5));
  EXPECT_EQ(ChildRect(w, f.form.LinkWindow()).top, dpi(103));
}

}  // namespace
}  // namespace volmaru::about
