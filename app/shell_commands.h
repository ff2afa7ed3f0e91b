// The tray menu commands that hand work to the Windows shell: registering
// the program in the user's Startup folder and removing it again, restarting
// through the restarter beside the program, the control panel's sound page,
// the system volume mixer and the help file. The decisions and messages are
// here; the shell calls are behind ShellPort (shell_commands_win).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/main_window_state.h"
#include "tray/popup_menu.h"

namespace volmaru::app {

// The shortcut in the Startup folder is the product name plus ".lnk".
inline constexpr std::string_view kStartupLinkName = "ボルマル";
inline constexpr std::string_view kRestarterFile = "RestartLoudDial.exe";
inline constexpr std::string_view kHelpFile = "ReadMe.txt";

inline constexpr std::string_view kStartupAddedText = "スタートアップに登録しました。";
inline constexpr std::string_view kStartupAddFailedText = "スタートアップに登録できませんでした。";
inline constexpr std::string_view kStartupRemovedText = "スタートアップから削除しました。";
inline constexpr std::string_view kStartupRemoveFailedText = "スタートアップから削除できませんでした。";
inline constexpr std::string_view kHelpFailedText = "ヘルプの表示に失敗しました。";
inline constexpr std::string_view kRestartFailedText = "ボルマルの再起動に失敗しました。";

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // The main timer holds (counted by the main window): no tick runs inside
  // the message boxes these commands show.
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  // Closing the main window ends the program.
  virtual void CloseMainWindow() = 0;
  // Full path of the running program.
  virtual std::string ExePath() = 0;
  // The user's Startup folder without a trailing "\", "" when unknown.
  virtual std::string StartupFolder() = 0;
  // Writes a shortcut file; true when it was saved.
  virtual bool SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDir) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // The system folder without a trailing "\", "" when unknown.
  virtual std::string SystemFolder() = 0;
  // Starts a program ("open", owned by the main window, no error UI of the
  // shell); false when it could not be started.
  virtual bool StartProgram(const std::string& file, const std::string& parameters) = 0;
  // ShellExecute "open" (owned by the main window or by nobody); the result
  // is above 32 on success, else the shell's error number.
  virtual intptr_t Open(bool ownedByMainWindow, const std::string& file, const std::string& parameters) = 0;
  // The program associated with a document, with the shell's result (above
  // 32 on success).
  virtual intptr_t AssociatedProgram(const std::string& document, std::string& program) = 0;
};

// "C:\Program Files\x\ReadMe.txt" -> "\"C:\Program Files\x\ReadMe.txt\"": one
// command-line argument whatever blanks the path holds.
std::string QuoteArgument(std::string_view path);

// The sound page's name by back-end, and its failure message for a step.
std::string_view SoundPageName(bool useEndpointVolume);
std::string SoundPageFailedText(bool useEndpointVolume, int step);
// The mixer program in the system folder and its failure message.
std::string_view MixerProgram(bool useEndpointVolume);
std::string MixerFailedText(bool useEndpointVolume, int step);

// MenuStartUp: the caption is the state. "スタートアップに登録(&U)" creates
// the shortcut, the other caption deletes StartupShortcutPath; the caption
// changes only on success.
void MenuStartUpClick(MainWindowState& state, tray::PopupMenuModel& menu, ShellPort& port);
// MenuRestart: starts the restarter and ends the program.
void MenuRestartClick(const MainWindowState& state, ShellPort& port);
// MenuOpenSound: control.exe with mmsys.cpl from the system folder.
void MenuOpenSoundClick(const MainWindowState& state, ShellPort& port);
// MenuOpenVolumeCtrl: the volume mixer of the running Windows version.
void MenuOpenVolumeCtrlClick(const MainWindowState& state, ShellPort& port);
// MenuHelp: ReadMe.txt in the viewer associated with it.
void MenuHelpClick(const MainWindowState& state, ShellPort& port);

// The command of one of the five menu items above; false for other items.
bool RunShellCommand(tray::MenuId id, MainWindowState& state, tray::PopupMenuModel& menu, ShellPort& port);

}  // namespace volmaru::app
