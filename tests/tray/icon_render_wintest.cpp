// The tray number drawn by the real GDI: where the glyphs start, that only
// the two colours appear, the .ico file, and no handle left behind after
// many updates.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "tray/ico_file.h"
#include "tray/icon_layout.h"
#include "tray/icon_render_win.h"
#include "tray/tray_icon_updater_win.h"

namespace volmaru::tray {
namespace {

constexpr COLORREF kBack = 0xFF0000;  // blue
constexpr COLORREF kText = 0xFFFFFF;  // white

struct Rendered {
  UniqueIcon icon;
  std::string pixels;  // 24-bit BGR rows, bottom-up, 96 bytes each
  COLORREF At(int x, int y) const {
    const size_t row = static_cast<size_t>(kIconSize - 1 - y) * 96;
    const auto* p = reinterpret_cast<const uint8_t*>(pixels.data()) + row + static_cast<size_t>(x) * 3;
    return RGB(p[2], p[1], p[0]);
  }
};

Rendered Render(int number) {
  RenderInputs in;
  in.useDeviceIcon = true;  // with no device icon: background and number only
  in.number = number;
  in.backColor = kBack;
  in.textColor = kText;
  Rendered r;
  r.icon = RenderVolumeIcon(in, &r.pixels);
  return r;
}

std::string TempDir() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  return Narrow(tmp) + "volmaru-icon-" + std::to_string(GetCurrentProcessId()) + "\\";
}

TEST(IconRenderTest, GlyphsStartWhereTheLayoutSaysAndOnlyTwoColoursAppear) {
  for (int number : {0, 9, 10, 99, 100}) {
    const Rendered r = Render(number);
    ASSERT_TRUE(r.icon) << number;
    ASSERT_EQ(r.pixels.size(), 96u * 32);
    int minX = kIconSize, minY = kIconSize, textPixels = 0;
    for (int y = 0; y < kIconSize; ++y) {
      for (int x = 0; x < kIconSize; ++x) {
        const COLORREF c = r.At(x, y);
        ASSERT_TRUE(c == kBack || c == kText) << number << " at " << x << "," << y << ": " << std::hex << c;
        if (c == kText) {
          ++textPixels;
          minX = std::min(minX, x);
          minY = std::min(minY, y);
        }
      }
    }
    const IconTextLayout layout = LayoutForNumber(number);
    EXPECT_GT(textPixels, 20) << number;
    EXPECT_GE(minX, layout.x) << number;
    EXPECT_LE(minX, layout.x + 3) << number << ": glyphs start near the origin";
    EXPECT_GE(minY, layout.y) << number;
    // Nothing is transparent: the corner keeps the background colour.
    EXPECT_EQ(r.At(31, 31), kBack) << number;
  }
}

// The pixels of a square 24-bit bottom-up picture of `size`.
COLORREF PixelAt(const std::string& pixels, int size, int x, int y) {
  const size_t stride = static_cast<size_t>((size * 3 + 3) & ~3);
  const auto* p = reinterpret_cast<const uint8_t*>(pixels.data()) + static_cast<size_t>(size - 1 - y) * stride + x * 3;
  return RGB(p[2], p[1], p[0]);
}

struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
};
Box TextBox(const std::string& pixels, int size) {
  Box b;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      if (PixelAt(pixels, size, x, y) != kText) continue;
      ++b.count;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x + 1);
      b.bottom = std::max(b.bottom, y + 1);
    }
  }
  return b;
}

// A message-only window to own a tray icon that is never added to the
// shell, the icon itself, and the context of a number over the back
// colour alone (no picture files).
UniqueWindow MessageOwner() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VolmaruIconTest";
  RegisterClassW(&wc);
  return UniqueWindow(CreateWindowW(L"VolmaruIconTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
}
TrayIcon UnaddedTray(HWND owner) {
  std::vector<UniqueIcon> images;
  images.push_back(UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
  images.push_back(UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
  return TrayIcon(owner, std::move(images));
}
TrayIconContext NumberContext(const std::string& dataFolder) {
  TrayIconContext ctx;
  ctx.exeFolder = "C:\\nowhere\\";
  ctx.dataFolder = dataFolder;
  ctx.useDefAudioDeviceIcon = true;
  ctx.global = {kText, kBack};
  return ctx;
}

// A larger drawing (48 x 48 for the 24-px tray of 144 dpi, 64 for 192) is
// the 32 x 32 design scaled: the font and the number's origin grow by the
// same factor, still in two colours only.
TEST(IconRenderTest, ALargerDrawingIsTheDesignScaled) {
  for (const int size : {40, 48, 64}) {
    for (const int number : {0, 9, 10, 99, 100}) {
      RenderInputs in;
      in.useDeviceIcon = true;
      in.number = number;
      in.backColor = kBack;
      in.textColor = kText;
      std::string design, large;
      ASSERT_TRUE(RenderVolumeIcon(in, &design));
      ASSERT_TRUE(RenderVolumeIcon(in, &large, size)) << size;
      ASSERT_EQ(large.size(), static_cast<size_t>((size * 3 + 3) & ~3) * size) << size;
      for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
          const COLORREF c = PixelAt(large, size, x, y);
          ASSERT_TRUE(c == kBack || c == kText) << size << " " << number << " at " << x << "," << y;
        }
      }
      const Box a = TextBox(design, kIconSize), b = TextBox(large, size);
      const double f = size / 32.0;
      const IconTextLayout layout = LayoutForNumber(number);
      EXPECT_GE(b.left, static_cast<int>(layout.x * f)) << size << " " << number;
      EXPECT_GE(b.top, static_cast<int>(layout.y * f)) << size << " " << number;
      // The glyphs themselves are the font's at the larger size: within a
      // few pixels of the small ones enlarged (hinting makes small bold
      // digits relatively wider), and inside the picture.
      const auto slack = [](double v) { return 0.15 * v + 2; };
      EXPECT_NEAR(b.right - b.left, (a.right - a.left) * f, slack((a.right - a.left) * f)) << size << " " << number;
      EXPECT_NEAR(b.bottom - b.top, (a.bottom - a.top) * f, slack((a.bottom - a.top) * f)) << size << " " << number;
      EXPECT_NEAR(b.left, a.left * f, 2 * f) << size << " " << number << ": where the number starts";
      EXPECT_LE(b.right, size) << size << " " << number;
      EXPECT_LE(b.bottom, size) << size << " " << number;
    }
  }
}

// The tray gets twice its icon size drawn and reduced to that size; the
// file other programs read stays the 32 x 32 design at every DPI.
TEST(IconRenderTest, TheTrayGetsItsOwnSizeAndVolumeIcoStays32) {
  const std::string dir = TempDir();
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  const UniqueWindow owner = MessageOwner();
  for (const int traySize : {16, 20, 24, 32}) {
    TrayIcon tray = UnaddedTray(owner.get());
    TrayIconContext ctx = NumberContext(dir);
    ctx.traySize = traySize;
    bool updating = false;
    ASSERT_TRUE(UpdateTrayIcon(57, ctx, &tray, updating)) << traySize;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(tray.image(0), &info));
    UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bm{};
    GetObjectW(colour.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, traySize);
    EXPECT_EQ(bm.bmHeight, traySize);
    UniqueIcon saved(
        static_cast<HICON>(LoadImageW(nullptr, Widen(dir + "Volume.ico").c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
    ASSERT_TRUE(saved) << traySize;
    ICONINFO savedInfo{};
    ASSERT_TRUE(GetIconInfo(saved.get(), &savedInfo));
    UniqueBitmap savedColour(savedInfo.hbmColor), savedMask(savedInfo.hbmMask);
    GetObjectW(savedColour.get(), sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32) << "Volume.ico at a tray of " << traySize;
    EXPECT_EQ(bm.bmHeight, 32) << "Volume.ico at a tray of " << traySize;
  }
  DeleteFileW(Widen(dir + "Volume.ico").c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

// A 48 x 48 icon, green in its right quarter and red elsewhere.
UniqueIcon QuarterIcon(int size) {
  std::vector<uint32_t> colour(static_cast<size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) colour[static_cast<size_t>(y * size + x)] = x >= size * 3 / 4 ? 0x00FF00 : 0xFF0000;
  }
  UniqueBitmap bits(CreateBitmap(size, size, 1, 32, colour.data()));
  std::vector<uint8_t> zeros(static_cast<size_t>(size) * size / 8);
  UniqueBitmap mask(CreateBitmap(size, size, 1, 1, zeros.data()));
  ICONINFO info{TRUE, 0, 0, static_cast<HBITMAP>(mask.get()), static_cast<HBITMAP>(bits.get())};
  return UniqueIcon(CreateIconIndirect(&info));
}

// A device's large icon has the system DPI's size (48 at 144 dpi): the
// 32 x 32 design and the tray's drawing each show all of it, scaled, not
// its top left corner.
TEST(IconRenderTest, ADevicePictureOfAnotherSizeFillsTheDrawing) {
  const UniqueIcon device = QuarterIcon(48);
  ASSERT_TRUE(device);
  for (const int size : {32, 40, 64}) {
    RenderInputs in;
    in.useDeviceIcon = true;
    in.baseImage = device.get();
    in.number = 1;
    in.backColor = kBack;
    in.textColor = kText;
    std::string pixels;
    ASSERT_TRUE(RenderVolumeIcon(in, &pixels, size)) << size;
    EXPECT_EQ(PixelAt(pixels, size, size - 1, 0), RGB(0, 255, 0)) << "the right edge at " << size;
    EXPECT_EQ(PixelAt(pixels, size, size * 3 / 4 - 2, 0), RGB(255, 0, 0)) << "left of the green quarter at " << size;
  }
}

TEST(IconRenderTest, MissingSpeakerPictureReportsAndMakesNoIcon) {
  RenderInputs in;
  in.speakerIconPath = "C:\\no\\such\\speaker2.ico";
  std::string shown;
  in.showMessage = [&](std::string_view text) { shown = text; };
  EXPECT_FALSE(RenderVolumeIcon(in));
  EXPECT_EQ(shown, "ファイルが見つかりません。\r\nアイコン作成に失敗しました。");
  // With the device icon option the missing file is no error.
  in.useDeviceIcon = true;
  shown.clear();
  EXPECT_TRUE(RenderVolumeIcon(in));
  EXPECT_TRUE(shown.empty());
}

TEST(IconRenderTest, VolumeIcoIsAValid32x32Icon) {
  const std::string dir = TempDir();
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  const Rendered r = Render(42);
  const std::string path = dir + "Volume.ico";
  ASSERT_TRUE(SaveVolumeIco(path, r.pixels));
  UniqueIcon loaded(static_cast<HICON>(LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
  ASSERT_TRUE(loaded);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(loaded.get(), &info));
  UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  GetObjectW(colour.get(), sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 32);
  EXPECT_EQ(bm.bmHeight, 32);
  DeleteFileW(Widen(path).c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

// Documents is often synced: a sync client or the search indexer holding
// "Volume.ico" must not stall each volume step (eight patient retries took
// about 0.7 s on the GUI thread). The held file is skipped at once, the
// icon is still made, and the next change after the holder let go writes it.
TEST(IconRenderTest, AHeldVolumeIcoIsSkippedAtOnceAndWrittenAtTheNextChange) {
  const std::string dir = TempDir();
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  const std::string path = dir + "Volume.ico";
  TrayIconContext ctx;
  ctx.exeFolder = "C:\\nowhere\\";
  ctx.dataFolder = dir;
  ctx.useDefAudioDeviceIcon = true;
  ctx.global = {kText, kBack};
  bool updating = false;
  ASSERT_TRUE(UpdateTrayIcon(10, ctx, nullptr, updating));
  const auto read = [&path] {
    std::string bytes;
    UniqueKernelHandle f(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, 0, nullptr));
    if (f.get() == INVALID_HANDLE_VALUE) {
      (void)f.release();
      return bytes;
    }
    char buf[8192];
    DWORD got = 0;
    while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    return bytes;
  };
  const std::string ten = read();
  ASSERT_FALSE(ten.empty());
  {
    HANDLE held = CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UniqueKernelHandle holder(held);
    const DWORD start = GetTickCount();
    for (int v = 20; v < 30; ++v) EXPECT_TRUE(UpdateTrayIcon(v, ctx, nullptr, updating)) << "the icon is still made";
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 2000u) << "ten volume steps with the file held took " << took << " ms";
  }
  EXPECT_EQ(read(), ten) << "the held file was not written";
  ASSERT_TRUE(UpdateTrayIcon(30, ctx, nullptr, updating));
  EXPECT_NE(read(), ten) << "the next change writes it";
  DeleteFileW(Widen(path).c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

long LiveGdiAndIcons() {
  long n = 0;
  for (HandleKind k :
       {HandleKind::kIcon, HandleKind::kBitmap, HandleKind::kFont, HandleKind::kDc, HandleKind::kGdiObject}) {
    n += LiveHandleCount(k).load();
  }
  return n;
}

// A leak of one handle per update would exhaust the process's handle table
// long before the end; every update must still make its icon.
TEST(IconRenderTest, ManyUpdatesLeaveNoHandleBehind) {
  const std::string dir = TempDir();
  const UniqueWindow owner = MessageOwner();
  TrayIcon tray = UnaddedTray(owner.get());
  TrayIconContext ctx = NumberContext(dir);
  bool updating = false;
  const long before = LiveGdiAndIcons();
  const auto start = std::chrono::steady_clock::now();
  int made = 0;
  constexpr int kUpdates = 70000;
  constexpr int kTimed = 1000;
  std::vector<double> timed;
  for (int i = 0; i < kUpdates; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    made += UpdateTrayIcon(i % 101, ctx, &tray, updating) ? 1 : 0;
    if (i < kTimed)
      timed.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(timed.begin(), timed.end());
  std::printf("UpdateTrayIcon: median %.3f ms per call over the first %d calls\n", timed[kTimed / 2], kTimed);
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(made, kUpdates);
  EXPECT_FALSE(updating);
  EXPECT_EQ(LiveGdiAndIcons(), before) << "handles still owned after the updates";
  std::printf("UpdateTrayIcon: %.3f ms per call over %d calls\n", ms / kUpdates, kUpdates);
  DeleteFileW(Widen(dir + "Volume.ico").c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

}  // namespace
}  // namespace volmaru::tray
