// volmaru_golden.exe: the program's pictures drawn by its own code, each
// into a 32-bit DIB written as an uncompressed .bmp, for the golden
// comparison of tests/e2e/groups/96-golden.sh.
//
//   volmaru_golden.exe <folder> [dpi]
//
// <folder> receives one .bmp per picture (made if missing). [dpi] is the
// screen resolution the run is meant for (96 unless given); the program
// refuses to draw when the screen reports another one, so that no picture
// is ever taken at a resolution it was not asked for.
//
// The pictures:
//   tray-<n>            the 32 x 32 number icon (speaker picture, default
//                       colours) for 0, 9, 10, 99 and 100
//   tray-small-<n>      the tray's picture at the taskbar's small-icon size
//                       (drawn at twice that size and reduced)
//   tray-mute-small     Data\mute.ico loaded at the small-icon size, drawn
//                       over the button face colour
//   tray-device-<n>     a number over a device picture (useDeviceIcon), and
//   tray-device-small-<n>  its reduced copy
//   meter-bottom        the meter at the bottom (position 0) and at the
//   meter-right         right (position 3), volume 40, with the set-volume
//                       box and its controls
//   settings-<n>-<page> the settings window, frame included, on each page
//   version             the version window, frame included
//
// Each window is read from its own surface right after it was painted anew
// in full, synchronously (RedrawWindow with RDW_UPDATENOW for the frame, the
// client area and every child): under Wine 8 PrintWindow leaves the bitmap
// blank, WM_PRINT draws no frame, and a static or button control printed
// into a DC whose origin was moved clips itself away. What would make two
// runs differ is kept out: the pointer is parked in a corner of the screen
// before anything is shown (no hover, no hint), a surface holds neither the
// pointer nor another window, the caret is hidden, the frames are drawn
// active, nothing reads the clock, and no settings file exists but the ones
// written here.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "about/version_form_win.h"
#include "common/dpi_win.h"
#include "common/file_win.h"
#include "common/handle_win.h"
#include "common/message_pump_win.h"
#include "common/text_win.h"
#include "meter/volume_bar_form_win.h"
#include "settings/file_port.h"
#include "settings/settings_schema.h"
#include "settings/window/settei_form_win.h"
#include "settings/window/settei_layout.h"
#include "settings/window/settei_rules.h"
#include "tests/settings/window/fake_settei_host.h"
#include "tray/icon_render_win.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon_updater_win.h"

namespace volmaru::golden {
namespace {

constexpr int kDefaultDpi = 96;
constexpr int kMeterVolume = 40;
constexpr int kSettingsVolume = 42;
constexpr int kTrayNumbers[] = {0, 9, 10, 99, 100};
constexpr int kDeviceNumber = 40;

int g_written = 0;
int g_errors = 0;

void Error(const std::string& what) {
  std::fprintf(stderr, "volmaru_golden: %s\n", what.c_str());
  ++g_errors;
}

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill)
      : width_(width),
        height_(height),
        dc_(CreateCompatibleDC(nullptr)),
        bitmap_(MakeBitmap(width, height, &bits_)),
        select_(dc_.get(), bitmap_.get()) {
    if (!bits_) return;
    const uint32_t pixel = 0xFF000000u | static_cast<uint32_t>(GetRValue(fill)) << 16 |
                           static_cast<uint32_t>(GetGValue(fill)) << 8 | GetBValue(fill);
    for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height); ++i) bits_[i] = pixel;
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  bool ok() const { return bits_ && dc_; }
  HDC dc() const { return dc_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }

  // An uncompressed bottom-up 32-bit .bmp; the unused fourth byte of every
  // pixel is written as 255, so that no reader takes it for transparency.
  bool Save(const std::string& path) const {
    GdiFlush();
    const uint32_t rowBytes = static_cast<uint32_t>(width_) * 4;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height_);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageBytes;
    info.biSize = sizeof info;
    info.biWidth = width_;
    info.biHeight = height_;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    info.biXPelsPerMeter = info.biYPelsPerMeter = 3780;  // 96 per inch
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = height_ - 1; y >= 0; --y) {
      const uint32_t* row = bits_ + static_cast<size_t>(y) * static_cast<size_t>(width_);
      for (int x = 0; x < width_; ++x) {
        const uint32_t p = row[x] | 0xFF000000u;
        bytes.append(reinterpret_cast<const char*>(&p), 4);
      }
    }
    return settings::SystemFiles().ReplaceFile(path, bytes, false);
  }

 private:
  static UniqueBitmap MakeBitmap(int width, int height, uint32_t** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
    *bits = bitmap ? static_cast<uint32_t*>(p) : nullptr;
    return bitmap;
  }

  int width_;
  int height_;
  uint32_t* bits_ = nullptr;
  UniqueDc dc_;
  UniqueBitmap bitmap_;
  SelectGuard select_;
};

std::string g_folder;  // with a trailing "\"

void Write(const Canvas& canvas, const std::string& name) {
  if (!canvas.ok()) {
    Error(name + ": no bitmap");
    return;
  }
  if (!canvas.Save(g_folder + name + ".bmp")) {
    Error(name + ": cannot write " + g_folder + name + ".bmp");
    return;
  }
  ++g_written;
  std::printf("%s %dx%d\n", name.c_str(), canvas.width(), canvas.height());
}

std::string ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return Narrow(p.substr(0, p.find_last_of(L'\\') + 1));
}

// An empty folder of this run under the temporary folder; the same name on
// every run, emptied first (no file of an earlier run is ever read).
std::string FreshFolder(const std::string& name) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string folder = Narrow(tmp) + "volmaru-golden-" + name + "\\";
  WIN32_FIND_DATAW found;
  const HANDLE first = FindFirstFileW(Widen(folder + "*").c_str(), &found);
  if (first != INVALID_HANDLE_VALUE) {
    const UniqueFindHandle find(first);
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((Widen(folder) + found.cFileName).c_str());
    } while (FindNextFileW(find.get(), &found));
  }
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

// --- windows as they are painted -------------------------------------------------

// A DC of a whole window, frame included (GetWindowDC), given back with
// ReleaseDC to the window it belongs to.
void ReleaseWindowDc(HDC dc) { ReleaseDC(WindowFromDC(dc), dc); }
using UniqueWindowDc = UniqueHandle<HDC, ReleaseWindowDc, HandleKind::kDc>;

// Everything of `window` painted anew, now: frame, client area, every
// child. The caret, if this thread shows one, is taken away first.
void PaintNow(HWND window) {
  HideCaret(nullptr);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_ERASENOW);
  GdiFlush();
}

// The pixels of `window` as painted: its client area with the children
// over it, or (`frame`) the whole window with its frame. Read from the
// window's own surface, so no other window and no pointer is ever in it.
void WriteWindow(HWND window, const std::string& name, bool frame) {
  if (frame) {
    // The frame is drawn active whatever window the desktop holds active.
    SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
  }
  PaintNow(window);
  RECT r;
  if (frame) {
    GetWindowRect(window, &r);
    OffsetRect(&r, -r.left, -r.top);
  } else {
    GetClientRect(window, &r);
  }
  Canvas canvas(r.right, r.bottom, RGB(255, 0, 255));
  if (frame) {
    const UniqueWindowDc dc(GetWindowDC(window));
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, dc.get(), 0, 0, SRCCOPY);
  } else {
    const WindowDc dc(window);
    BitBlt(canvas.dc(), 0, 0, r.right, r.bottom, dc.get(), 0, 0, SRCCOPY);
  }
  Write(canvas, name);
}

// Lets messages run until `window` is the foreground window (a second at
// most); whether it got there is reported, not waited for longer.
void BringToFront(HWND window) {
  SetForegroundWindow(window);
  for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) {
    volmaru::PumpMessagesFor(10);
    SetForegroundWindow(window);
  }
  volmaru::ProcessPendingMessages();
  if (GetForegroundWindow() != window) std::fprintf(stderr, "volmaru_golden: a window did not become foreground\n");
}

// --- the tray icon ----------------------------------------------------------------

SIZE IconSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  UniqueBitmap colour(info.hbmColor);
  UniqueBitmap mask(info.hbmMask);
  BITMAP bm{};
  GetObjectW(colour ? colour.get() : mask.get(), sizeof bm, &bm);
  return {bm.bmWidth, colour ? bm.bmHeight : bm.bmHeight / 2};
}

// An icon at its own size over `back`.
void WriteIcon(HICON icon, const std::string& name, COLORREF back) {
  if (!icon) {
    Error(name + ": no icon");
    return;
  }
  const SIZE size = IconSize(icon);
  Canvas canvas(size.cx, size.cy, back);
  DrawIconEx(canvas.dc(), 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
  Write(canvas, name);
}

// The number as the tray makes it: the 32 x 32 icon (what Volume.ico
// holds) and the tray's picture, drawn at twice the small-icon size of the
// taskbar's DPI and reduced to it.
void WriteNumber(int number, const tray::TrayIconContext& ctx, const std::string& name, const std::string& smallName) {
  tray::TrayPictures pictures;
  if (!tray::RenderTrayPictures(number, ctx, pictures)) {
    Error(name + ": not drawn");
    return;
  }
  WriteIcon(pictures.design.get(), name, RGB(255, 0, 255));
  WriteIcon(pictures.tray.get(), smallName, RGB(255, 0, 255));
}

void WriteTray(const std::string& exeFolder) {
  tray::TrayIconContext ctx;
  ctx.exeFolder = exeFolder;
  ctx.traySize = SmallIconSize(TaskbarDpi());
  if (!FileExists(exeFolder + "Data\\speaker2.ico")) Error("tray: no Data\\speaker2.ico");
  for (const int n : kTrayNumbers) WriteNumber(n, ctx, "tray-" + std::to_string(n), "tray-small-" + std::to_string(n));

  // The mute picture, loaded as the main window loads it for the tray.
  const int small = ctx.traySize;
  const UniqueIcon mute(static_cast<HICON>(
      LoadImageW(nullptr, Widen(exeFolder + "Data\\mute.ico").c_str(), IMAGE_ICON, small, small, LR_LOADFROMFILE)));
  WriteIcon(mute.get(), "tray-mute-small", GetSysColor(COLOR_BTNFACE));

  // A device picture comes as the large icon of a file's resources: here
  // the program's own icon from this program's resources.
  HICON large = nullptr;
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (ExtractIconExW(self, 0, &large, nullptr, 1) == 0) large = nullptr;
  const UniqueIcon device(large);
  if (!device) Error("tray: no device picture");
  ctx.useDefAudioDeviceIcon = true;
  ctx.deviceIcon = device.get();
  WriteNumber(kDeviceNumber, ctx, "tray-device-" + std::to_string(kDeviceNumber),
              "tray-device-small-" + std::to_string(kDeviceNumber));
}

// --- the meter --------------------------------------------------------------------

class GoldenMeterHost final : public meter::MeterHost {
 public:
  explicit GoldenMeterHost(std::string folder) : folder_(std::move(folder)) {}
  bool StartupComplete() override { return true; }
  bool HostAlive() override { return true; }
  std::string DataFolder() override { return folder_; }
  int CurrentVolume() override { return kMeterVolume; }
  bool MuteShown() override { return false; }
  meter::BarColourInputs ColourInputs() override { return {}; }
  bool SetVolume(int) override { return true; }
  int LastVolume() override { return kMeterVolume; }
  void SetLastVolumeStepAt(uint32_t) override {}
  void SetMeterShownAt(uint32_t) override {}
  bool NoChangeByMouse() override { return false; }
  meter::BoxPoint TrayPointPos() override { return {-1000, -1000}; }
  int MainKeyCode() override { return 29; }
  bool MainKeyDown() override { return false; }
  void PauseTimer() override {}
  void ResumeTimer() override {}

 private:
  std::string folder_;
};

// A meter at `position` with its own settings file.
struct MeterScene {
  MeterScene(const char* where, int position)
      : folder(FreshFolder(std::string("meter-") + where)), host(folder), name(std::string("meter-") + where) {
    const std::string ini = "[VolumeBar]\r\nPosition=" + std::to_string(position) +
                            "\r\n[SavedVolume]\r\nCount=3\r\n0=20\r\n1=40\r\n2=100\r\n";
    settings::SystemFiles().ReplaceFile(folder + settings::kSettingsFileName, ini);
  }
  std::string folder;
  GoldenMeterHost host;
  meter::TVolumeBarForm form;
  std::string name;
};

// The meter shown and drawn without activation, as a volume change shows
// it: its own painting with the box's controls over it (the colour key is
// the meter's green background, which the screen would show through).
void WriteMeter(MeterScene& scene) {
  meter::TVolumeBarForm& m = scene.form;
  m.Show();
  m.DrawMeter();
  volmaru::ProcessPendingMessages();
  WriteWindow(m.hwnd(), scene.name, false);
  m.Close();
  volmaru::ProcessPendingMessages();
}

// --- the settings window ----------------------------------------------------------

// The test host with the tray menu's real captions in the visible-menu list.
class GoldenSetteiHost final : public settings::SetteiHost {
 public:
  settings::testing::FakeSetteiHost fake;
  tray::PopupMenuModel menu;

  bool UseEndpointVolume() override { return fake.UseEndpointVolume(); }
  std::vector<TDefDeviceTrayIconData> DeviceProfiles() override { return fake.DeviceProfiles(); }
  std::string DefaultDeviceName() override { return fake.DefaultDeviceName(); }
  int LastVolume() override { return fake.LastVolume(); }
  std::optional<std::string> MenuCaption(int tag) override {
    for (const tray::MenuItem& item : menu.items()) {
      if (item.tag == tag) return item.caption;
    }
    return std::nullopt;
  }
  std::string ExeFolder() override { return fake.ExeFolder(); }
  std::string DataFolder() override { return fake.DataFolder(); }
  uint32_t MeterColour() override { return fake.MeterColour(); }
  bool IconUpdating() override { return false; }
  void CloseMeterIfVisible() override {}
  void ResetTrayPointedAt() override {}
  void ShowMeterIfAlwaysShown() override {}
  void HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& v) override {
    fake.HandOverKeyboardIconsAndProfiles(v);
  }
  void UpdateTrayIcon(int) override {}
  void HandOverInputMenuAndSchedule(const settings::MainHandOver& v) override { fake.HandOverInputMenuAndSchedule(v); }
  void HandOverMeter(const settings::MeterHandOver& v) override { fake.HandOverMeter(v); }
  void PauseTimer() override {}
  void ResumeTimer() override {}
  std::atomic<bool>& KeyCaptureFlag() override { return fake.KeyCaptureFlag(); }
  void ShowHelp() override {}
  void ShowVersion() override {}
  void CheckVolume(const settings::VolumeCheckRequest&) override {}
};

constexpr const char* kPageNames[settings::kSetteiPageCount] = {"meter", "icon", "operation", "schedule", "menu"};

// Runs `action` from inside the settings window's modal loop.
std::function<void()> g_action;
void CALLBACK RunAction(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto action = std::move(g_action);
  g_action = nullptr;
  if (action) action();
}

void WriteSettings(settings::TVolumeChangeSetteiForm& form) {
  g_action = [&form] {
    BringToFront(form.hwnd());
    const HWND tab = GetParent(GetParent(form.Control(settings::ctl::kEditStep)));
    for (int p = 0; p < settings::kSetteiPageCount; ++p) {
      // As a click on the page's tab turns to it.
      SendMessageW(tab, TCM_SETCURFOCUS, static_cast<WPARAM>(p), 0);
      volmaru::ProcessPendingMessages();
      WriteWindow(form.hwnd(), "settings-" + std::to_string(p + 1) + "-" + kPageNames[p], true);
    }
    SendMessageW(form.Control(settings::ctl::kCancel), BM_CLICK, 0, 0);
  };
  SetTimer(nullptr, 0, 10, RunAction);
  form.ShowModal();
}

// --- the version window -----------------------------------------------------------

class GoldenVersionHost final : public about::VersionFormHost {
 public:
  void StartMainTimer() override {}
};

void WriteVersion(about::TLoudnessDialVersionForm& form) {
  form.Open();
  BringToFront(form.hwnd());
  WriteWindow(form.hwnd(), "version", true);
  ShowWindow(form.hwnd(), SW_HIDE);
  volmaru::ProcessPendingMessages();
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: volmaru_golden.exe <folder> [dpi]\n");
    return 2;
  }
  const int dpi = argc == 3 ? _wtoi(argv[2]) : kDefaultDpi;
  int screenDpi = 0;
  {
    WindowDc screen(nullptr);
    screenDpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  std::printf("volmaru_golden: %d dpi (the screen reports %d), a screen of %d x %d\n", dpi, screenDpi,
              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  if (dpi <= 0 || screenDpi != dpi) {
    std::fprintf(stderr, "volmaru_golden: the screen is at %d dpi, not at %d: nothing drawn\n", screenDpi, dpi);
    return 3;
  }
  std::wstring folder = argv[1];
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  CreateDirectoryW(folder.c_str(), nullptr);
  g_folder = Narrow(folder);

  // The pointer rests in the top right corner, over none of the windows.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, 0);

  const std::string exeFolder = ExeFolder();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WriteTray(exeFolder);

  // The windows in the program's order: meters, settings, version; the
  // version window's creation gives the others the system's UI face.
  MeterScene bottom("bottom", 0);
  MeterScene right("right", 3);
  if (!bottom.form.Create(instance, bottom.host, nullptr) || !right.form.Create(instance, right.host, nullptr)) {
    Error("meter: not created");
    return 1;
  }
  GoldenSetteiHost setteiHost;
  setteiHost.fake.exeFolder = exeFolder;
  setteiHost.fake.dataFolder = FreshFolder("settings");
  setteiHost.fake.lastVolume = kSettingsVolume;
  TDefDeviceTrayIconData speakers;
  speakers.DeviceName = "Speakers";
  TDefDeviceTrayIconData hdmi;
  hdmi.DeviceName = "HDMI";
  setteiHost.fake.profiles = {speakers, hdmi};
  setteiHost.fake.defaultName = "Speakers";
  // "Volume.ico" in the data folder, as the main window leaves it there at
  // start-up: the icon page shows it as its preview.
  {
    tray::TrayIconContext icon;
    icon.exeFolder = exeFolder;
    icon.dataFolder = setteiHost.fake.dataFolder;
    bool updating = false;
    if (!tray::UpdateTrayIcon(kSettingsVolume, icon, nullptr, updating)) Error("settings: no Volume.ico");
  }
  settings::TVolumeChangeSetteiForm settei;
  if (!settei.Create(instance, setteiHost, nullptr)) {
    Error("settings: not created");
    return 1;
  }
  volmaru::SetMessageFilter([&settei](MSG& m) { return settei.PreTranslate(m); });
  GoldenVersionHost versionHost;
  about::TLoudnessDialVersionForm version;
  const std::string versionFolder = FreshFolder("version");
  if (!version.Create(instance, nullptr, exeFolder, versionFolder + settings::kSettingsFileName, versionHost,
                      &bottom.form, &settei)) {
    Error("version: not created");
    return 1;
  }
  // The second meter takes the same face as the version window gave the
  // first one.
  LOGFONTW iconTitle{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0)) {
    right.form.SetFontFace(iconTitle.lfFaceName, [] { volmaru::ProcessPendingMessages(); });
  }
  volmaru::ProcessPendingMessages();

  WriteMeter(bottom);
  WriteMeter(right);
  WriteSettings(settei);
  WriteVersion(version);
  volmaru::SetMessageFilter(nullptr);

  std::printf("volmaru_golden: %d pictures written, %d errors\n", g_written, g_errors);
  return g_errors == 0 ? 0 : 1;
}

}  // namespace
}  // namespace volmaru::golden

int wmain(int argc, wchar_t** argv) {
  try {
    return volmaru::golden::Run(argc, argv);
  } catch (...) {
    std::fprintf(stderr, "volmaru_golden: stopped by an exception\n");
    return 1;
  }
}
