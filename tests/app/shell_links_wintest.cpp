// Shortcuts in the prefix's real Startup folder through the shell's link
// object, the startup commands over the real shell, and what the shell does
// for the help viewer and the mixer.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/shell_commands_win.h"
#include "app/shell_links_win.h"
#include "app/startup.h"
#include "common/handle_win.h"
#include "common/text_win.h"

namespace volmaru::app {
namespace {

std::string ExePath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return Narrow(path);
}

bool Exists(const std::string& path) { return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The real shell with the messages kept instead of shown.
class QuietShell final : public SystemShell {
 public:
  QuietShell() : SystemShell(nullptr) {}
  std::vector<std::string> messages;
  int holds = 0;
  bool closed = false;
  void ShowMessage(std::string_view text) override { messages.emplace_back(text); }
  void PauseTimer() override { ++holds; }
  void ResumeTimer() override { --holds; }
  void CloseMainWindow() override { closed = true; }
};

class ShellLinksTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(startup_.empty()); }
  void TearDown() override {
    for (const std::string& f : cleanup_) DeleteFileW(Widen(f).c_str());
  }
  const ComApartment com_;
  const std::string startup_ = SpecialFolder(CSIDL_STARTUP);
  std::vector<std::string> cleanup_;
};

TEST_F(ShellLinksTest, AShortcutSavedInTheStartupFolderIsFoundAgainByItsTarget) {
  const std::string exe = ExePath();
  const std::string link = startup_ + "\\volmaru-test-" + std::to_string(GetCurrentProcessId()) + ".lnk";
  cleanup_.push_back(link);
  ASSERT_TRUE(SaveShortcut(link, exe, FolderOf(exe)));
  ASSERT_TRUE(Exists(link));
  EXPECT_EQ(ToAsciiLower(ResolveShortcutTarget(link)), ToAsciiLower(exe));

  const std::string found = FindStartupShortcut(exe, startup_, ListFolderEntries(startup_),
                                                [](const std::string& l) { return ResolveShortcutTarget(l); });
  EXPECT_EQ(found, startup_ + "\\" + ToAsciiLower(FileNameOf(link)));
  EXPECT_EQ(StartupMenuCaption(ResolveShortcutTarget(found), exe), "スタートアップから削除(&U)");
  // Not a shortcut: no target.
  EXPECT_EQ(ResolveShortcutTarget(exe), "");
  EXPECT_EQ(ResolveShortcutTarget(startup_ + "\\no-such.lnk"), "");
}

TEST_F(ShellLinksTest, RegisterAndRemoveThroughTheMenuRules) {
  QuietShell shell;
  MainWindowState state;
  state.ExeFolder = FolderOf(ExePath());
  tray::PopupMenuModel menu;
  const std::string link = startup_ + "\\ボルマル.lnk";
  cleanup_.push_back(link);
  ASSERT_FALSE(Exists(link));

  MenuStartUpClick(state, menu, shell);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"スタートアップに登録しました。"}));
  EXPECT_TRUE(Exists(link));
  EXPECT_EQ(ToAsciiLower(ResolveShortcutTarget(link)), ToAsciiLower(ExePath()));
  EXPECT_EQ(menu.item(tray::MenuId::MenuStartUp).caption, "スタートアップから削除(&U)");

  MenuStartUpClick(state, menu, shell);
  EXPECT_EQ(shell.messages.back(), "スタートアップから削除しました。");
  EXPECT_FALSE(Exists(link));
  MenuStartUpClick(state, menu, shell);  // registers again
  menu.SetCaption(tray::MenuId::MenuStartUp, tray::kCaptionStartUpRemove);
  DeleteFileW(Widen(link).c_str());  // removed behind the program's back
  MenuStartUpClick(state, menu, shell);
  EXPECT_EQ(shell.messages.back(), "スタートアップから削除できませんでした。");
  EXPECT_EQ(shell.holds, 0);
}

TEST_F(ShellLinksTest, WineHasNoVolumeMixerSoTheFirstStepFails) {
  QuietShell shell;
  MainWindowState state;
  state.UseEndpointVolume = true;
  const std::string system = shell.SystemFolder();
  ASSERT_FALSE(system.empty());
  ASSERT_FALSE(Exists(system + "\\SndVol.exe"));
  MenuOpenVolumeCtrlClick(state, shell);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"「音量ミキサー」の表示に失敗しました。(1)"}));
}

// Where 60 new handles end: Wine (like Windows) gives out the lowest free
// slots, so handles left open in between push the last one up.
uintptr_t HandleSlotsEnd() {
  std::vector<UniqueKernelHandle> probes;
  for (int i = 0; i < 60; ++i) probes.emplace_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  return reinterpret_cast<uintptr_t>(probes.back().get());
}

TEST_F(ShellLinksTest, StartedProgramsLeaveNoProcessHandleBehind) {
  QuietShell shell;
  const std::string cmd = shell.SystemFolder() + "\\cmd.exe";
  ASSERT_TRUE(shell.StartProgram(cmd, "/c exit"));
  const uintptr_t before = HandleSlotsEnd();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(shell.StartProgram(cmd, "/c exit"));
  const uintptr_t after = HandleSlotsEnd();
  // 20 process handles kept would move it by 80.
  EXPECT_LT(after, before + 5 * sizeof(HANDLE)) << before << " -> " << after;
}

TEST_F(ShellLinksTest, TheHelpViewerIsFoundForATextFileInAFolderWithABlank) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::string dir = Narrow(tmp) + "volmaru help " + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Widen(dir).c_str(), nullptr);
  const std::string help = dir + "\\ReadMe.txt";
  {
    const UniqueKernelHandle f(
        CreateFileW(Widen(help).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f);
  }
  // A fresh Wine prefix has the "txtfile" class but does not map ".txt" to
  // it (FindExecutable answers 31, no association), and Wine's shell does
  // not look at the user's own classes: the mapping Windows has goes into
  // the machine's classes for the test.
  ASSERT_EQ(RegSetKeyValueW(HKEY_CLASSES_ROOT, L".txt", nullptr, REG_SZ, L"txtfile", sizeof(L"txtfile")),
            ERROR_SUCCESS);
  QuietShell shell;
  std::string viewer;
  const intptr_t found = shell.AssociatedProgram(help, viewer);
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L".txt");
  EXPECT_GT(found, 32);
  EXPECT_NE(ToAsciiLower(viewer).find("notepad"), std::string::npos) << viewer;
  std::string none;
  EXPECT_LE(shell.AssociatedProgram(dir + "\\missing.txt", none), 32);
  DeleteFileW(Widen(help).c_str());
  RemoveDirectoryW(Widen(dir).c_str());
}

}  // namespace
}  // namespace volmaru::app
