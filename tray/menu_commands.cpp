#include "tray/menu_commands.h"

namespace volmaru::tray {
namespace {

MenuSwitch SwitchOf(MenuId id) {
  switch (id) {
    case MenuId::MenuNoChangeByKey:
      return MenuSwitch::kNoChangeByKey;
    case MenuId::MenuNoChangeByMouse:
      return MenuSwitch::kNoChangeByMouse;
    default:
      return MenuSwitch::kNoShowBalloonHint;
  }
}

}  // namespace

void OnMenuCommand(MenuId id, app::MainWindowState& s, PopupMenuModel& menu, MenuCommandPort& port) {
  switch (id) {
    case MenuId::MenuNoChangeByKey:
    case MenuId::MenuNoChangeByMouse: {
      // Before start-up completes the switches do nothing at all.
      if (!s.StartupComplete) return;
      MenuItem& item = menu.item(id);
      item.checked = !item.checked;
      if (port.SettingsVisible()) port.SyncSettingsSwitch(SwitchOf(id), item.checked);
      port.WriteSwitch(SwitchOf(id), item.checked);
      return;
    }
    case MenuId::MenuNoShowBalloonHint: {
      MenuItem& item = menu.item(id);
      item.checked = !item.checked;
      if (s.StartupComplete) port.WriteSwitch(MenuSwitch::kNoShowBalloonHint, item.checked);
      return;
    }
    case MenuId::MenuSettei:
      OpenSettingsHidingMeter(s, port);
      return;
    case MenuId::MenuShowVolume:
      port.ShowMeter();
      port.DrawMeter();
      port.ForceForegroundMeter();
      s.MeterShownAt = port.Now();
      return;
    case MenuId::MenuMute:
      port.ShowMeter();
      s.MeterShownAt = port.Now();
      if (port.ToggleMute()) port.RefreshMeter();
      s.LastMuteToggleAt = port.Now();
      return;
    case MenuId::MenuGetAudioEndVol:
      port.RebindEndpointVolume();
      return;
    case MenuId::MenuEnd:
      port.ReleaseSettingsWindow();
      if (port.MeterVisible()) port.CloseMeter();
      port.CloseMainWindow();
      return;
    case MenuId::MenuStartUp:
    case MenuId::MenuOpenSound:
    case MenuId::MenuOpenVolumeCtrl:
    case MenuId::MenuHelp:
    case MenuId::MenuAbout:
    case MenuId::MenuRestart:
      port.RunShellCommand(id);
      return;
    default:
      return;  // separators and the device heading do nothing
  }
}

}  // namespace volmaru::tray
