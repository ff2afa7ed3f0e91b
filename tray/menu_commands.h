// What the commands of the tray's popup menu do. The three switches act only
// once start-up is complete (the balloon switch still flips its mark, but
// writes nothing before then), keep an open settings window in step and are
// written to the settings file at once; "音量メーターの表示" and "ミュート"
// show the meter; the exit command lets the settings window go without its
// question. Commands that hand work to the shell, the device items and the
// version window are carried out by the port.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/main_window_state.h"
#include "tray/popup_menu.h"

namespace volmaru::tray {

// The menu switches as the settings file stores them.
enum class MenuSwitch { kNoChangeByKey, kNoChangeByMouse, kNoShowBalloonHint };

class MenuCommandPort {
 public:
  virtual ~MenuCommandPort() = default;
  virtual uint32_t Now() = 0;
  // Writes the switch's key; a failed write is dropped (nothing to report).
  virtual void WriteSwitch(MenuSwitch which, bool checked) = 0;
  virtual bool SettingsVisible() = 0;
  // The open settings window's check box for the switch follows the menu,
  // and the window then has unsaved changes.
  virtual void SyncSettingsSwitch(MenuSwitch which, bool checked) = 0;
  // The settings window may close without asking (its changes dropped).
  virtual void ReleaseSettingsWindow() = 0;
  // Opens the settings window modally; returns when it is closed.
  virtual void OpenSettings() = 0;
  virtual bool MeterVisible() = 0;
  virtual void ShowMeter() = 0;
  virtual void CloseMeter() = 0;
  virtual void DrawMeter() = 0;
  virtual void RefreshMeter() = 0;
  virtual void ForceForegroundMeter() = 0;
  virtual bool ToggleMute() = 0;  // MuteToggleOk
  // Binds the volume control to the current default playback device again,
  // telling the user when there is none.
  virtual void RebindEndpointVolume() = 0;
  virtual void ShowMessage(std::string_view text) = 0;
  virtual void CloseMainWindow() = 0;
  // Startup shortcut, sound page, volume mixer, help, version window,
  // restart.
  virtual void RunShellCommand(MenuId id) = 0;
};

void OnMenuCommand(MenuId id, app::MainWindowState& s, PopupMenuModel& menu, MenuCommandPort& port);

// "設定画面を開く" and the double click on the icon: the meter makes way for
// the settings window, which is modal.
template <typename Port>
void OpenSettingsHidingMeter(app::MainWindowState& s, Port& port) {
  if (port.MeterVisible()) {
    port.CloseMeter();
    s.MeterShownAt = 0;
  }
  port.OpenSettings();
}

}  // namespace volmaru::tray
