#include "app/shell_commands.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

#include "app/startup.h"

namespace volmaru::app {
namespace {

using tray::MenuId;

const std::string kExe = "C:\\Program Files\\Volmaru\\Volmaru.exe";
const std::string kStartup = "C:\\Users\\u\\Startup";

class FakeShell : public ShellPort {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> messages;
  int holds = 0;
  int maxHolds = 0;
  int holdsAtMessage = -1;
  std::string startupFolder = kStartup;
  std::string systemFolder = "C:\\Windows\\system32";
  std::set<std::string> files;               // what exists on disk
  std::map<std::string, std::string> links;  // link path -> target
  std::set<std::string> startable;           // programs that start
  bool saveFails = false;
  intptr_t openResult = 42;
  intptr_t findResult = 42;
  std::string viewer = "C:\\Windows\\notepad.exe";
  bool throwOnOpen = false;

  void PauseTimer() override { maxHolds = std::max(maxHolds, ++holds); }
  void ResumeTimer() override { --holds; }
  void ShowMessage(std::string_view text) override {
    holdsAtMessage = holds;
    messages.emplace_back(text);
  }
  void CloseMainWindow() override { calls.push_back("close"); }
  std::string ExePath() override { return kExe; }
  std::string StartupFolder() override { return startupFolder; }
  bool SaveShortcut(const std::string& link, const std::string& target, const std::string& dir) override {
    calls.push_back("save " + link + " -> " + target + " in " + dir);
    if (saveFails) return false;
    links[link] = target;
    files.insert(link);
    return true;
  }
  bool RemoveFile(const std::string& path) override {
    calls.push_back("delete " + path);
    return files.erase(path) == 1;
  }
  std::string SystemFolder() override { return systemFolder; }
  bool StartProgram(const std::string& file, const std::string& params) override {
    calls.push_back("start " + file + (params.empty() ? "" : " " + params));
    return startable.count(file) != 0;
  }
  std::vector<intptr_t> openResults;  // consumed in order; then openResult
  intptr_t Open(bool owned, const std::string& file, const std::string& params) override {
    calls.push_back(std::string(owned ? "open(owned) " : "open ") + file + (params.empty() ? "" : " " + params));
    if (throwOnOpen) throw std::runtime_error("x");
    if (!openResults.empty()) {
      const intptr_t r = openResults.front();
      openResults.erase(openResults.begin());
      return r;
    }
    return openResult;
  }
  intptr_t AssociatedProgram(const std::string& document, std::string& program) override {
    calls.push_back("find " + document);
    program = findResult > 32 ? viewer : std::string();
    return findResult;
  }
};

MainWindowState State(bool endpoint = true) {
  MainWindowState s;
  s.ExeFolder = FolderOf(kExe);
  s.UseEndpointVolume = endpoint;
  return s;
}

// --- Startup registration ----------------------------------------------------

TEST(ShellCommandsTest, RegisterWritesTheProductShortcutAndFlipsTheCaption) {
  FakeShell shell;
  MainWindowState s = State();
  tray::PopupMenuModel menu;
  MenuStartUpClick(s, menu, shell);
  const std::string link = kStartup + "\\ボルマル.lnk";
  EXPECT_EQ(shell.calls,
            (std::vector<std::string>{"save " + link + " -> " + kExe + " in C:\\Program Files\\Volmaru\\"}));
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"スタートアップに登録しました。"}));
  EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, "スタートアップから削除(&U)");
  EXPECT_EQ(s.StartupShortcutPath, link);
  // The box shows while the main timer is held; the hold ends with it.
  EXPECT_EQ(shell.holdsAtMessage, 1);
  EXPECT_EQ(shell.holds, 0);

  // The caption is the state: the same item now removes it.
  MenuStartUpClick(s, menu, shell);
  EXPECT_EQ(shell.calls.back(), "delete " + link);
  EXPECT_EQ(shell.messages.back(), "スタートアップから削除しました。");
  EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, "スタートアップに登録(&U)");
  EXPECT_TRUE(shell.files.empty());
  EXPECT_TRUE(s.StartupShortcutPath.empty());
}

TEST(ShellCommandsTest, FailedRegistrationKeepsTheCaption) {
  for (bool noFolder : {false, true}) {
    FakeShell shell;
    shell.saveFails = !noFolder;
    if (noFolder) shell.startupFolder.clear();
    MainWindowState s = State();
    tray::PopupMenuModel menu;
    MenuStartUpClick(s, menu, shell);
    EXPECT_EQ(shell.messages, (std::vector<std::string>{"スタートアップに登録できませんでした。"}));
    EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, "スタートアップに登録(&U)");
    EXPECT_TRUE(s.StartupShortcutPath.empty());
    EXPECT_EQ(shell.holds, 0);
  }
}

TEST(ShellCommandsTest, DeletingWithNoShortcutFoundReportsFailure) {
  FakeShell shell;
  MainWindowState s = State();
  tray::PopupMenuModel menu;
  menu.SetCaption(MenuId::MenuStartUp, tray::kCaptionStartUpRemove);
  MenuStartUpClick(s, menu, shell);
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"スタートアップから削除できませんでした。"}));
  EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, "スタートアップから削除(&U)");
}

TEST(ShellCommandsTest, DeletingAShortcutThatIsGoneReportsFailureAndKeepsTheCaption) {
  FakeShell shell;
  MainWindowState s = State();
  s.StartupShortcutPath = kStartup + "\\ボルマル.lnk";  // removed by hand since
  tray::PopupMenuModel menu;
  menu.SetCaption(MenuId::MenuStartUp, tray::kCaptionStartUpRemove);
  MenuStartUpClick(s, menu, shell);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"delete " + kStartup + "\\ボルマル.lnk"}));
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"スタートアップから削除できませんでした。"}));
  EXPECT_EQ(menu.item(MenuId::MenuStartUp).caption, "スタートアップから削除(&U)");
}

// The start-up check with the same shortcut rules: found by the target's file
// name, the full target path decides the caption.
TEST(ShellCommandsTest, ShortcutToACopyElsewhereIsFoundButOffersRegistration) {
  FakeShell shell;
  const std::vector<FolderEntry> entries = {
      {".", true}, {"..", true}, {"desktop.ini", false, true, true}, {"Other.lnk"}, {"Copy Of VOLMARU.lnk"}};
  std::map<std::string, std::string> targets = {
      {kStartup + "\\other.lnk", "C:\\Tools\\Other.exe"},
      {kStartup + "\\copy of volmaru.lnk", "D:\\Old\\VOLMARU.EXE"},
  };
  const auto resolve = [&](const std::string& link) {
    const auto it = targets.find(link);
    return it == targets.end() ? std::string() : it->second;
  };
  const std::string found = FindStartupShortcut(kExe, kStartup, entries, resolve);
  EXPECT_EQ(found, kStartup + "\\copy of volmaru.lnk");
  EXPECT_EQ(StartupMenuCaption(resolve(found), kExe), "スタートアップに登録(&U)");
  EXPECT_EQ(StartupMenuCaption("c:\\program files\\volmaru\\VOLMARU.exe", kExe), "スタートアップから削除(&U)");

  // Registering then writes a second shortcut named after the product.
  MainWindowState s = State();
  s.StartupShortcutPath = found;
  tray::PopupMenuModel menu;
  menu.SetCaption(MenuId::MenuStartUp, StartupMenuCaption(resolve(found), kExe));
  MenuStartUpClick(s, menu, shell);
  EXPECT_EQ(shell.links.count(kStartup + "\\ボルマル.lnk"), 1u);
  EXPECT_EQ(s.StartupShortcutPath, kStartup + "\\ボルマル.lnk");
}

// --- Restart -------------------------------------------------------------------

TEST(ShellCommandsTest, RestartStartsTheRestarterBesideTheProgramThenCloses) {
  FakeShell shell;
  MenuRestartClick(State(), shell);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"open C:\\Program Files\\Volmaru\\RestartLoudDial.exe", "close"}));
  EXPECT_TRUE(shell.messages.empty());
}

TEST(ShellCommandsTest, RestartCountsAboveThirtyTwoAsStarted) {
  FakeShell atLimit;
  atLimit.openResult = 32;
  MenuRestartClick(State(), atLimit);
  EXPECT_EQ(atLimit.messages, (std::vector<std::string>{"ボルマルの再起動に失敗しました。32"}));
  EXPECT_EQ(atLimit.calls.back().rfind("open ", 0), 0u);
  FakeShell above;
  above.openResult = 33;
  MenuRestartClick(State(), above);
  EXPECT_EQ(above.calls.back(), "close");
  EXPECT_TRUE(above.messages.empty());
}

TEST(ShellCommandsTest, RestartWithoutItsRestarterKeepsTheProgramRunning) {
  FakeShell shell;
  shell.openResult = 2;  // file not found
  MenuRestartClick(State(), shell);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"open C:\\Program Files\\Volmaru\\RestartLoudDial.exe"}));
  EXPECT_EQ(shell.messages, (std::vector<std::string>{"ボルマルの再起動に失敗しました。2"}));
}

// --- Sound page and mixer --------------------------------------------------------

TEST(ShellCommandsTest, SoundPageByModeWithItsStepNumbers) {
  for (bool endpoint : {true, false}) {
    const std::string name = endpoint ? "サウンド" : "サウンドとオーディオデバイス";
    FakeShell ok;
    ok.startable.insert("C:\\Windows\\system32\\control.exe");
    MenuOpenSoundClick(State(endpoint), ok);
    EXPECT_EQ(ok.calls, (std::vector<std::string>{"start C:\\Windows\\system32\\control.exe mmsys.cpl"}));
    EXPECT_TRUE(ok.messages.empty());

    FakeShell fails;
    MenuOpenSoundClick(State(endpoint), fails);
    EXPECT_EQ(fails.messages,
              (std::vector<std::string>{"コントロールパネルの「" + name + "」の表示に失敗しました。(1)"}));

    FakeShell noSystem;
    noSystem.systemFolder.clear();
    MenuOpenSoundClick(State(endpoint), noSystem);
    EXPECT_TRUE(noSystem.calls.empty());  // nothing is started
    EXPECT_EQ(noSystem.messages,
              (std::vector<std::string>{"コントロールパネルの「" + name + "」の表示に失敗しました。(2)"}));
    EXPECT_EQ(noSystem.holdsAtMessage, 1);
    EXPECT_EQ(noSystem.holds, 0);
  }
}

TEST(ShellCommandsTest, MixerByModeWithItsStepNumbers) {
  FakeShell vista;
  vista.startable.insert("C:\\Windows\\system32\\SndVol.exe");
  MenuOpenVolumeCtrlClick(State(true), vista);
  EXPECT_EQ(vista.calls, (std::vector<std::string>{"start C:\\Windows\\system32\\SndVol.exe"}));
  EXPECT_TRUE(vista.messages.empty());

  FakeShell xp;
  xp.startable.insert("C:\\Windows\\system32\\sndvol32.exe");
  MenuOpenVolumeCtrlClick(State(false), xp);
  EXPECT_EQ(xp.calls, (std::vector<std::string>{"start C:\\Windows\\system32\\sndvol32.exe"}));

  FakeShell missing;
  MenuOpenVolumeCtrlClick(State(true), missing);
  EXPECT_EQ(missing.messages, (std::vector<std::string>{"「音量ミキサー」の表示に失敗しました。(1)"}));
  FakeShell missingXp;
  MenuOpenVolumeCtrlClick(State(false), missingXp);
  EXPECT_EQ(missingXp.messages, (std::vector<std::string>{"「ボリュームコントロール」の表示に失敗しました。(1)"}));

  FakeShell noSystem;
  noSystem.systemFolder.clear();
  MenuOpenVolumeCtrlClick(State(false), noSystem);
  EXPECT_TRUE(noSystem.calls.empty());
  EXPECT_EQ(noSystem.messages, (std::vector<std::string>{"「ボリュームコントロール」の表示に失敗しました。(2)"}));
}

// --- Help ------------------------------------------------------------------------

TEST(ShellCommandsTest, HelpPassesTheFileQuotedToItsViewer) {
  FakeShell shell;
  MenuHelpClick(State(), shell);
  // A folder with a blank stays one argument.
  EXPECT_EQ(shell.calls, (std::vector<std::string>{
                             "find C:\\Program Files\\Volmaru\\ReadMe.txt",
                             "open(owned) C:\\Windows\\notepad.exe \"C:\\Program Files\\Volmaru\\ReadMe.txt\""}));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_EQ(QuoteArgument("C:\\a b\\ReadMe.txt"), "\"C:\\a b\\ReadMe.txt\"");
}

TEST(ShellCommandsTest, HelpFailureShowsTheShellsNumber) {
  const std::string find = "find C:\\Program Files\\Volmaru\\ReadMe.txt";
  const std::string viewer = "open(owned) C:\\Windows\\notepad.exe \"C:\\Program Files\\Volmaru\\ReadMe.txt\"";
  const std::string document = "open(owned) C:\\Program Files\\Volmaru\\ReadMe.txt";

  // The viewer does not start: the file itself is opened; when that fails
  // too, its number is shown.
  FakeShell viewerFails;
  viewerFails.openResult = 5;
  MenuHelpClick(State(), viewerFails);
  EXPECT_EQ(viewerFails.calls, (std::vector<std::string>{find, viewer, document}));
  EXPECT_EQ(viewerFails.messages, (std::vector<std::string>{"ヘルプの表示に失敗しました。5"}));

  FakeShell atLimit;
  atLimit.openResult = 32;
  MenuHelpClick(State(), atLimit);
  EXPECT_EQ(atLimit.messages, (std::vector<std::string>{"ヘルプの表示に失敗しました。32"}));

  FakeShell justAbove;
  justAbove.openResult = 33;
  MenuHelpClick(State(), justAbove);
  EXPECT_EQ(justAbove.calls.size(), 2u) << "the viewer showed it";
  EXPECT_TRUE(justAbove.messages.empty());

  // The association's own result decides as the viewer's does: above 32.
  FakeShell findAbove;
  findAbove.findResult = 33;
  MenuHelpClick(State(), findAbove);
  EXPECT_EQ(findAbove.calls.size(), 2u);
  EXPECT_TRUE(findAbove.messages.empty());

  FakeShell raised;
  raised.throwOnOpen = true;
  MenuHelpClick(State(), raised);
  EXPECT_EQ(raised.messages, (std::vector<std::string>{"ヘルプの表示に失敗しました。42"}));
  EXPECT_EQ(raised.holds, 0);
}

// Windows 11's Store Notepad is associated with .txt without a command
// line: FindExecutable finds nothing (31), yet the shell's "open" of the
// file shows it. Only when that fails too is the failure reported.
TEST(ShellCommandsTest, HelpWithoutAViewerToStartOpensTheFileThroughTheShell) {
  const std::string find = "find C:\\Program Files\\Volmaru\\ReadMe.txt";
  const std::string document = "open(owned) C:\\Program Files\\Volmaru\\ReadMe.txt";
  FakeShell storeNotepad;
  storeNotepad.findResult = 31;
  MenuHelpClick(State(), storeNotepad);
  EXPECT_EQ(storeNotepad.calls, (std::vector<std::string>{find, document})) << "no empty program name is started";
  EXPECT_TRUE(storeNotepad.messages.empty());

  FakeShell nothingOpensIt;
  nothingOpensIt.findResult = 31;
  nothingOpensIt.openResult = 31;
  MenuHelpClick(State(), nothingOpensIt);
  EXPECT_EQ(nothingOpensIt.messages, (std::vector<std::string>{"ヘルプの表示に失敗しました。31"}));

  FakeShell findAtLimit;
  findAtLimit.findResult = 32;
  findAtLimit.openResults = {2};
  MenuHelpClick(State(), findAtLimit);
  EXPECT_EQ(findAtLimit.calls, (std::vector<std::string>{find, document}));
  EXPECT_EQ(findAtLimit.messages, (std::vector<std::string>{"ヘルプの表示に失敗しました。2"}));
}

TEST(ShellCommandsTest, DispatchRunsTheFiveCommandsAndNothingElse) {
  tray::PopupMenuModel menu;
  for (int i = 0; i < tray::kMenuItemCount; ++i) {
    const auto id = static_cast<MenuId>(i);
    FakeShell shell;
    MainWindowState s = State();
    const bool ran = RunShellCommand(id, s, menu, shell);
    const bool shellItem = id == MenuId::MenuStartUp || id == MenuId::MenuRestart || id == MenuId::MenuOpenSound ||
                           id == MenuId::MenuOpenVolumeCtrl || id == MenuId::MenuHelp;
    EXPECT_EQ(ran, shellItem) << menu.item(id).name;
    EXPECT_EQ(!shell.calls.empty() || !shell.messages.empty(), shellItem) << menu.item(id).name;
  }
  FakeShell shell;
  MainWindowState s = State();
  RunShellCommand(MenuId::MenuOpenVolumeCtrl, s, menu, shell);
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"start C:\\Windows\\system32\\SndVol.exe"}));
  RunShellCommand(MenuId::MenuHelp, s, menu, shell);
  EXPECT_EQ(shell.calls.back().rfind("open(owned)", 0), 0u);
}

}  // namespace
}  // namespace volmaru::app
