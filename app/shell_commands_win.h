// The shell commands' platform: shortcut files, the system folder and the
// shell's program starts, with UTF-16 at the boundary. The main window adds
// its timer holds and its closing.
#pragma once

#include <windows.h>

#include "app/shell_commands.h"

namespace volmaru::app {

// ShellExecuteEx "open" without the zone check: Windows' unzip gives every
// extracted file the downloaded-from-the-Internet mark, and a plain
// ShellExecute of such a program asks "Open File - Security Warning" each
// time (a restart would ask twice: for the restarter and for the program).
// No error UI of the shell; the result is the shell's, above 32 on success.
intptr_t OpenWithoutZoneCheck(HWND owner, const std::string& file, const std::string& parameters,
                              const std::string& folder);

class SystemShell : public ShellPort {
 public:
  // Message boxes and programs started are owned by `mainWindow`.
  explicit SystemShell(HWND mainWindow) : mainWindow_(mainWindow) {}

  void ShowMessage(std::string_view text) override;
  std::string ExePath() override;
  std::string StartupFolder() override;
  bool SaveShortcut(const std::string& linkPath, const std::string& target, const std::string& workingDir) override;
  bool RemoveFile(const std::string& path) override;
  std::string SystemFolder() override;
  bool StartProgram(const std::string& file, const std::string& parameters) override;
  intptr_t Open(bool ownedByMainWindow, const std::string& file, const std::string& parameters) override;
  intptr_t AssociatedProgram(const std::string& document, std::string& program) override;

 protected:
  HWND mainWindow() const { return mainWindow_; }

 private:
  HWND mainWindow_;
};

}  // namespace volmaru::app
