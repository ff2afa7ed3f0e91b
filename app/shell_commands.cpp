#include "app/shell_commands.h"

#include "app/startup.h"
#include "common/timer_pause.h"

namespace volmaru::app {

std::string QuoteArgument(std::string_view path) { return "\"" + std::string(path) + "\""; }

std::string_view SoundPageName(bool useEndpointVolume) {
  return useEndpointVolume ? "サウンド" : "サウンドとオーディオデバイス";
}

std::string SoundPageFailedText(bool useEndpointVolume, int step) {
  return "コントロールパネルの「" + std::string(SoundPageName(useEndpointVolume)) + "」の表示に失敗しました。(" +
         std::to_string(step) + ")";
}

std::string_view MixerProgram(bool useEndpointVolume) { return useEndpointVolume ? "SndVol.exe" : "sndvol32.exe"; }

std::string MixerFailedText(bool useEndpointVolume, int step) {
  const std::string_view name = useEndpointVolume ? "「音量ミキサー」" : "「ボリュームコントロール」";
  return std::string(name) + "の表示に失敗しました。(" + std::to_string(step) + ")";
}

void MenuStartUpClick(MainWindowState& state, tray::PopupMenuModel& menu, ShellPort& port) {
  const TimerPause<ShellPort> hold(port);
  tray::MenuItem& item = menu.item(tray::MenuId::MenuStartUp);
  if (item.caption == tray::kCaptionStartUpAdd) {
    const std::string folder = port.StartupFolder();
    const std::string target = port.ExePath();
    const std::string link = folder + "\\" + std::string(kStartupLinkName) + ".lnk";
    if (!folder.empty() && port.SaveShortcut(link, target, FolderOf(target))) {
      state.StartupShortcutPath = link;
      item.caption = tray::kCaptionStartUpRemove;
      port.ShowMessage(kStartupAddedText);
    } else {
      port.ShowMessage(kStartupAddFailedText);
    }
    return;
  }
  // No shortcut known: there is nothing to delete, which is a failure.
  if (!state.StartupShortcutPath.empty() && port.RemoveFile(state.StartupShortcutPath)) {
    state.StartupShortcutPath.clear();
    item.caption = tray::kCaptionStartUpAdd;
    port.ShowMessage(kStartupRemovedText);
  } else {
    port.ShowMessage(kStartupRemoveFailedText);
  }
}

void MenuRestartClick(const MainWindowState& state, ShellPort& port) {
  const TimerPause<ShellPort> hold(port);
  const intptr_t result = port.Open(false, state.ExeFolder + std::string(kRestarterFile), "");
  if (result <= 32) {
    // Without the restarter nothing would start the program again: it keeps
    // running instead of simply vanishing.
    port.ShowMessage(std::string(kRestartFailedText) + std::to_string(result));
    return;
  }
  port.CloseMainWindow();
}

void MenuOpenSoundClick(const MainWindowState& state, ShellPort& port) {
  const TimerPause<ShellPort> hold(port);
  const std::string system = port.SystemFolder();
  if (system.empty()) {
    port.ShowMessage(SoundPageFailedText(state.UseEndpointVolume, 2));
    return;
  }
  if (!port.StartProgram(system + "\\control.exe", "mmsys.cpl")) {
    port.ShowMessage(SoundPageFailedText(state.UseEndpointVolume, 1));
  }
}

void MenuOpenVolumeCtrlClick(const MainWindowState& state, ShellPort& port) {
  const TimerPause<ShellPort> hold(port);
  const std::string system = port.SystemFolder();
  if (system.empty()) {
    port.ShowMessage(MixerFailedText(state.UseEndpointVolume, 2));
    return;
  }
  if (!port.StartProgram(system + "\\" + std::string(MixerProgram(state.UseEndpointVolume)), "")) {
    port.ShowMessage(MixerFailedText(state.UseEndpointVolume, 1));
  }
}

void MenuHelpClick(const MainWindowState& state, ShellPort& port) {
  const TimerPause<ShellPort> hold(port);
  const std::string help = state.ExeFolder + std::string(kHelpFile);
  intptr_t result = 0;
  bool raised = false;
  try {
    std::string viewer;
    result = port.AssociatedProgram(help, viewer);
    // Without an associated viewer there is nothing to start: opening an
    // empty program name would have the shell open something else.
    if (result > 32) result = port.Open(true, viewer, QuoteArgument(help));
    // An association without a command line (the Store Notepad of Windows
    // 11) names no program: the shell's "open" of the file itself still
    // shows it.
    if (result <= 32) result = port.Open(true, help, "");
  } catch (...) {
    raised = true;  // reported with the last result there was
  }
  if (raised || result <= 32) port.ShowMessage(std::string(kHelpFailedText) + std::to_string(result));
}

bool RunShellCommand(tray::MenuId id, MainWindowState& state, tray::PopupMenuModel& menu, ShellPort& port) {
  using tray::MenuId;
  switch (id) {
    case MenuId::MenuStartUp:
      MenuStartUpClick(state, menu, port);
      return true;
    case MenuId::MenuRestart:
      MenuRestartClick(state, port);
      return true;
    case MenuId::MenuOpenSound:
      MenuOpenSoundClick(state, port);
      return true;
    case MenuId::MenuOpenVolumeCtrl:
      MenuOpenVolumeCtrlClick(state, port);
      return true;
    case MenuId::MenuHelp:
      MenuHelpClick(state, port);
      return true;
    default:
      return false;
  }
}

}  // namespace volmaru::app
