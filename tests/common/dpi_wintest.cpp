// The resolution a run asked its Wine prefix for is the one the programs
// see, and the per-DPI system values follow it; without this the runs at
// 120, 144 and 192 dpi could all silently draw at 96.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "common/dpi_win.h"

namespace volmaru {
namespace {

TEST(DpiWinTest, TheScreenHasTheResolutionTheRunAskedFor) {
  const char* asked = std::getenv("VOLMARU_WINE_DPI");
  const int want = asked && *asked ? std::atoi(asked) : 96;
  EXPECT_EQ(SystemDpi(), want);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), want);
  ReleaseDC(nullptr, screen);
  const HWND desktop = GetDesktopWindow();
  EXPECT_EQ(WindowDpi(desktop), want);
  EXPECT_EQ(TaskbarDpi(), want);
}

TEST(DpiWinTest, SystemValuesAreThoseOfTheAskedDpi) {
  // The small icon is 16 at 96 dpi and grows with the resolution; Windows
  // rounds it to the nearest size it has, never below the design's.
  EXPECT_EQ(SmallIconSize(96), 16);
  EXPECT_GE(SmallIconSize(192), 32);
  EXPECT_EQ(SmallIconSize(SystemDpi()), GetSystemMetrics(SM_CXSMICON));
  RECT r{0, 0, 100, 100};
  AdjustWindowRectForDpi(r, WS_OVERLAPPEDWINDOW, 0, SystemDpi());
  RECT plain{0, 0, 100, 100};
  AdjustWindowRectEx(&plain, WS_OVERLAPPEDWINDOW, FALSE, 0);
  EXPECT_EQ(r.right - r.left, plain.right - plain.left);
  EXPECT_EQ(r.bottom - r.top, plain.bottom - plain.top);
}

}  // namespace
}  // namespace volmaru
