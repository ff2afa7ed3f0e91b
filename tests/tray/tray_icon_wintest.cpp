// The tray icon against the real shell of the test desktop: an add that the
// shell refuses because the icon is already there must not leave the icon
// without updates.
#include "tray/tray_icon_win.h"

#include <gtest/gtest.h>

#include <vector>

namespace volmaru::tray {
namespace {

UniqueWindow HiddenOwner() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VolmaruTrayIconTest";
  RegisterClassW(&wc);
  return UniqueWindow(
      CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr));
}

std::vector<UniqueIcon> Images() {
  std::vector<UniqueIcon> images;
  images.emplace_back(CopyIcon(LoadIconW(nullptr, IDI_INFORMATION)));
  images.emplace_back(CopyIcon(LoadIconW(nullptr, IDI_WARNING)));
  return images;
}

// Whether the shell holds the icon: a modify succeeds only for one it has.
bool ShellHas(HWND owner) {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = owner;
  d.uID = kTrayIconId;
  return Shell_NotifyIconW(NIM_MODIFY, &d) != FALSE;
}

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar)) GTEST_SKIP() << "no visible taskbar in this desktop";
    owner_ = HiddenOwner();
    ASSERT_TRUE(owner_);
  }
  UniqueWindow owner_;
};

TEST_F(TrayIconTest, AnIconAlreadyInTheTrayIsTakenOverByTheAdd) {
  TrayIcon first(owner_.get(), Images());
  ASSERT_TRUE(first.Add());
  // A second add for the same window and id is what the shell refuses
  // after an add that timed out yet went through.
  TrayIcon again(owner_.get(), Images());
  EXPECT_TRUE(again.Add());
  EXPECT_TRUE(again.added());
  again.ShowImage(1);
  EXPECT_TRUE(ShellHas(owner_.get()));
  again.Remove();
  EXPECT_FALSE(ShellHas(owner_.get()));
}

TEST_F(TrayIconTest, TaskbarCreatedWhileTheIconIsStillThereKeepsItUpdated) {
  TrayIcon icon(owner_.get(), Images());
  ASSERT_TRUE(icon.Add());
  EXPECT_TRUE(icon.Readd()) << "the shell still has the icon";
  EXPECT_TRUE(icon.added()) << "later updates would all be skipped";
  icon.Remove();
  EXPECT_FALSE(ShellHas(owner_.get())) << "the icon is still ours to remove";
  // Truly gone: the add puts it back.
  EXPECT_TRUE(icon.Readd());
  EXPECT_TRUE(ShellHas(owner_.get()));
}

TEST_F(TrayIconTest, WithoutAnyIconTheModifyProbeDoesNotPretendOne) {
  TrayIcon icon(owner_.get(), Images());
  EXPECT_FALSE(ShellHas(owner_.get()));
  ASSERT_TRUE(icon.Add());
  icon.Remove();
  EXPECT_FALSE(icon.added());
}

}  // namespace
}  // namespace volmaru::tray
