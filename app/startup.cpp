#include "app/startup.h"

#include "common/text.h"
#include "settings/profile_file.h"

namespace volmaru::app {

std::string FolderOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FileNameOf(std::string_view path) {
  const size_t slash = path.find_last_of("\\/");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string DataFolderFor(std::string_view documents) {
  std::string folder(documents);
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\" + std::string(kDataSubfolder);
}

BackendChoice ChooseBackend(unsigned majorVersion) {
  if (majorVersion >= 6) {
    return {true, "コントロールパネルの「サウンド」を開く(&C)", "「音量ミキサー」を開く(&A)", true};
  }
  return {false, "コントロールパネルの「サウンドとオーディオデバイス」を開く(&C)",
          "「ボリュームコントロール」を開く(&A)", false};
}

void ApplyBackendToMenu(const BackendChoice& choice, tray::PopupMenuModel& menu) {
  using tray::MenuId;
  menu.SetCaption(MenuId::MenuOpenSound, choice.OpenSoundCaption);
  menu.SetCaption(MenuId::MenuOpenVolumeCtrl, choice.OpenVolumeCtrlCaption);
  for (MenuId id : {MenuId::MenuGetAudioEndVol, MenuId::MenuChangeDefAudioDevice, MenuId::MenuNoShowBalloonHint}) {
    menu.item(id).enabled = choice.EndpointItemsEnabled;
  }
}

std::string_view StartupMenuCaption(std::string_view shortcutTarget, std::string_view exePath) {
  return ToAsciiLower(shortcutTarget) == ToAsciiLower(exePath) ? tray::kCaptionStartUpRemove : tray::kCaptionStartUpAdd;
}

void LoadMainWindowSettings(MainWindowState& state, tray::PopupMenuModel& menu, settings::SettingsStore& store) {
  using tray::MenuId;
  try {
    store.RunMigrations();
  } catch (const settings::SettingsWriteError&) {
    // A file that cannot be written (read-only) keeps its old layout; its
    // values are read as they stand rather than leaving start-up unfinished.
  }
  settings::MainWindowSettings loaded = store.LoadMainWindow();
  state.Keyboard = loaded.Keyboard;
  state.IconColours = loaded.Icon;
  state.DeviceProfiles = std::move(loaded.DeviceProfiles);
  state.WheelReverse = loaded.WheelReverse;
  state.VolumeChangeWaitTime = loaded.VolumeChangeWaitTime;
  state.TrayIconWaitTime = loaded.TrayIconWaitTime;
  menu.item(MenuId::MenuNoChangeByKey).checked = loaded.NoChangeByKey;
  menu.item(MenuId::MenuNoChangeByMouse).checked = loaded.NoChangeByMouse;
  menu.item(MenuId::MenuNoShowBalloonHint).checked = loaded.NoShowBalloonHint;
  state.ScheduleUse = loaded.ScheduleUse;
  state.Schedule = loaded.Schedule;
  state.ScheduleRuntime.inUse = loaded.ScheduleUse;
  if (loaded.ScheduleUse) state.ScheduleRuntime.Rebuild(loaded.Schedule);
}

bool RunFormCreate(MainWindowState& state, tray::PopupMenuModel& menu, StartupPlatform& platform) {
  using tray::MenuId;
  // 1-2. Folders. The data folder is created with every missing level; a
  // failure is not reported (the settings then take their defaults).
  const std::string exePath = platform.ExePath();
  state.ExeFolder = FolderOf(exePath);
  state.DataFolder = DataFolderFor(platform.DocumentsFolder());
  settings::FilePort& files = platform.Files();
  const std::string dataDir = state.DataFolder.substr(0, state.DataFolder.size() - 1);
  if (!files.DirectoryExists(dataDir)) files.CreateDirectories(dataDir);
  // A crash in the middle of a save leaves its temporary file behind; the
  // settings themselves are whole either way.
  files.RemoveLeftoverTemporaries(state.DataFolder + settings::kSettingsFileName);
  files.RemoveLeftoverTemporaries(state.DataFolder + "Volume.ico");

  // 3. Every message passes the tray filter first.
  platform.WrapWindowProcedure();

  // 4. The icon can only go into a visible taskbar; early in a log-on there
  // is none yet, so keep trying.
  const std::string muteIcon = state.ExeFolder + std::string(kMuteIconFile);
  for (;;) {
    const auto attempt = platform.TryCreateTrayIcon(muteIcon);
    if (attempt == StartupPlatform::TrayAttempt::kCreated) break;
    // A close request (log-off, a tool ending us) must end the wait.
    if (!platform.Pause(attempt == StartupPlatform::TrayAttempt::kError ? kTrayErrorRetryMs : kTaskbarPollMs)) {
      return false;
    }
  }

  // 5. From here on an error escaping a handler is dropped.
  platform.InstallSilentErrorHandler();

  // 6-7. Back-end by Windows version.
  const BackendChoice backend = ChooseBackend(platform.WindowsMajorVersion());
  state.UseEndpointVolume = backend.UseEndpointVolume;
  if (backend.UseEndpointVolume) {
    platform.DestroyMixer();
    if (!platform.AcquireEndpointVolume()) {
      // No playback device yet. A resident tool that ended here would be
      // gone for the whole session: it says so once, stays in the tray and
      // goes on once a device is there.
      platform.ShowMessage(kNoEndpointText);
      do {
        if (!platform.Pause(kEndpointRetryMs)) return false;
      } while (!platform.AcquireEndpointVolume());
    }
  }
  ApplyBackendToMenu(backend, menu);

  // 8. Hooks (each only if not installed yet).
  platform.InstallHooks();

  // 9. Startup registration state.
  const std::string startupFolder = platform.StartupFolder();
  state.StartupShortcutPath =
      FindStartupShortcut(exePath, startupFolder, platform.ListFolder(startupFolder),
                          [&](const std::string& link) { return platform.ResolveShortcutTarget(link); });
  const std::string target =
      state.StartupShortcutPath.empty() ? std::string() : platform.ResolveShortcutTarget(state.StartupShortcutPath);
  menu.SetCaption(MenuId::MenuStartUp, StartupMenuCaption(target, exePath));

  // 10. Settings, after the migrations of older files.
  settings::ProfileFile file(files, state.DataFolder + settings::kSettingsFileName);
  settings::SettingsStore store(file, platform.LocaleFormat());
  LoadMainWindowSettings(state, menu, store);

  // 11. Devices (endpoint path only).
  if (state.UseEndpointVolume) platform.EnumeratePlaybackDevices(state);

  // 12.
  state.StartupComplete = true;
  return true;
}

}  // namespace volmaru::app
