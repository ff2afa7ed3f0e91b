// The program's message boxes come up in front: a box raised by a timer or
// a device change while another program is active must not wait unseen
// behind it (the main timer stands still until it is answered). While the
// session ends, no box is shown.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/message_box_win.h"

namespace volmaru {
namespace {

LONG_PTR g_boxExStyle = -1;
bool g_boxSeen = false;
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND box = FindWindowW(L"#32770", L"ボルマル");
  if (!box) return;  // not up yet: the timer fires again
  KillTimer(nullptr, id);
  g_boxSeen = true;
  g_boxExStyle = GetWindowLongPtrW(box, GWL_EXSTYLE);
  PostMessageW(box, WM_COMMAND, IDYES, 0);
}

TEST(MessageBoxWinTest, EveryBoxIsTopmostWhateverItsOwner) {
  // Owned by a hidden window, as the main window's boxes are.
  const HWND hidden = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(hidden);
  for (const HWND owner : {hidden, HWND{}}) {
    g_boxSeen = false;
    g_boxExStyle = -1;
    SetTimer(nullptr, 0, 20, AnswerBox);
    const int answer = ShowMessageBox(owner, "既定の再生デバイスを変更できませんでした。", "ボルマル", MB_YESNO);
    EXPECT_TRUE(g_boxSeen);
    EXPECT_EQ(answer, IDYES);
    EXPECT_TRUE(g_boxExStyle & WS_EX_TOPMOST) << "owner " << owner;
  }
  DestroyWindow(hidden);
}

TEST(MessageBoxWinTest, NoBoxWhileTheSessionEnds) {
  SetSessionEnding(true);
  g_boxSeen = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, AnswerBox);
  const DWORD start = GetTickCount();
  EXPECT_EQ(ShowMessageBox(nullptr, "設定を保存できませんでした。", "ボルマル", MB_OK), IDOK);
  EXPECT_EQ(ShowMessageBox(nullptr, "保存しますか？", "ボルマル", MB_YESNO, IDNO), IDNO);
  EXPECT_LT(GetTickCount() - start, 1000u);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(g_boxSeen);
  SetSessionEnding(false);
  EXPECT_FALSE(SessionEnding());
}

}  // namespace
}  // namespace volmaru
