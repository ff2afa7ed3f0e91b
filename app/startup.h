// The start-up sequence of the main window, with the platform behind an
// interface: the order of the steps and every decision they make (back-end by
// Windows version, menu captions, the startup-shortcut state, the wait for
// the taskbar, the settings and their migrations) are plain code that tests
// drive with a fake platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window_state.h"
#include "common/text.h"
#include "settings/file_port.h"
#include "tray/popup_menu.h"

namespace volmaru::app {

inline constexpr std::string_view kDataSubfolder = "ミズナラ舎\\ボルマルData\\";
inline constexpr std::string_view kMuteIconFile = "Data\\mute.ico";
inline constexpr std::string_view kAppTitle = "ボルマル";
inline constexpr std::string_view kAlreadyRunningText =
    "「ボルマル」は既に起動しています。\rタスクトレイにスピーカーのアイコンがあることを確認してください。";
inline constexpr std::string_view kNoEndpointText = "Error";

// Pauses between attempts to put the icon into the tray.
inline constexpr uint32_t kTaskbarPollMs = 250;
inline constexpr uint32_t kTrayErrorRetryMs = 4000;
// Pause between attempts to find a playback device (none at log-on: an
// HDMI monitor still off, headphones not yet plugged in).
inline constexpr uint32_t kEndpointRetryMs = 2000;

// "C:\x\Volmaru.exe" -> "C:\x\"
std::string FolderOf(std::string_view path);
// "C:\x\Volmaru.exe" -> "Volmaru.exe"
std::string FileNameOf(std::string_view path);
// documents folder (no trailing "\") -> the data folder with its trailing "\"
std::string DataFolderFor(std::string_view documents);

struct BackendChoice {
  bool UseEndpointVolume = false;
  std::string_view OpenSoundCaption;
  std::string_view OpenVolumeCtrlCaption;
  // MenuGetAudioEndVol, MenuChangeDefAudioDevice and MenuNoShowBalloonHint
  bool EndpointItemsEnabled = false;
};
BackendChoice ChooseBackend(unsigned majorVersion);
void ApplyBackendToMenu(const BackendChoice& choice, tray::PopupMenuModel& menu);

struct FolderEntry {
  std::string name;
  bool directory = false;
  bool hidden = false;
  bool system = false;
};

// The first shortcut in the folder whose target has the program's file name
// (compared without case), as folder + lower-cased file name; "" if none.
template <typename Resolve>
std::string FindStartupShortcut(std::string_view exePath, std::string_view folder,
                                const std::vector<FolderEntry>& entries, Resolve resolveTarget);

// The caption of MenuStartUp for the shortcut found at start-up.
std::string_view StartupMenuCaption(std::string_view shortcutTarget, std::string_view exePath);

// What the sequence needs from the platform.
class StartupPlatform {
 public:
  virtual ~StartupPlatform() = default;
  virtual std::string ExePath() = 0;
  virtual std::string DocumentsFolder() = 0;  // without a trailing "\"
  virtual settings::FilePort& Files() = 0;
  virtual void WrapWindowProcedure() = 0;
  enum class TrayAttempt { kCreated, kNoVisibleTaskbar, kError };
  virtual TrayAttempt TryCreateTrayIcon(const std::string& muteIconPath) = 0;
  // Waits while letting window messages run; false when the program was
  // asked to end meanwhile (its main window closed).
  virtual bool Pause(uint32_t ms) = 0;
  virtual void InstallSilentErrorHandler() = 0;
  virtual unsigned WindowsMajorVersion() = 0;
  virtual void DestroyMixer() = 0;
  virtual bool AcquireEndpointVolume() = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  virtual void InstallHooks() = 0;
  virtual std::string StartupFolder() = 0;
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) = 0;
  virtual std::string ResolveShortcutTarget(const std::string& linkPath) = 0;
  virtual settings::DateTimeFormat LocaleFormat() = 0;
  // The device list and its menu items (step 11).
  virtual void EnumeratePlaybackDevices(MainWindowState& state) = 0;
};

// FormCreate: steps 1 to 12. Returns StartupComplete; false also when the
// program was asked to end while it waited for the taskbar.
bool RunFormCreate(MainWindowState& state, tray::PopupMenuModel& menu, StartupPlatform& platform);

// Step 10 alone: migrations, then the main window's settings.
void LoadMainWindowSettings(MainWindowState& state, tray::PopupMenuModel& menu, settings::SettingsStore& store);

template <typename Resolve>
std::string FindStartupShortcut(std::string_view exePath, std::string_view folder,
                                const std::vector<FolderEntry>& entries, Resolve resolveTarget) {
  const std::string name = ToAsciiLower(FileNameOf(exePath));
  std::string dir(folder);
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  for (const FolderEntry& e : entries) {
    if (e.directory || e.hidden || e.system || e.name == "." || e.name == "..") continue;
    const std::string candidate = dir + ToAsciiLower(e.name);
    if (ToAsciiLower(FileNameOf(resolveTarget(candidate))) == name) return candidate;
  }
  return {};
}

}  // namespace volmaru::app
