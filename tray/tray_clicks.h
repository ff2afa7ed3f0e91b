// What clicks and pointing on the tray icon do: a left click shows or hides
// the meter (after waiting out a possible double click), a double click
// opens the settings window, a right click opens the popup menu, and
// resting the pointer on the icon shows the meter after a short wait (the
// timer completes that).
#pragma once

#include <cstdint>
#include <string>

#include "app/main_window_state.h"

namespace volmaru::tray {

inline constexpr uint32_t kPointingSleepAfterClickMs = 5000;
inline constexpr uint32_t kDoubleClickExtraMs = 200;

class TrayPort {
 public:
  virtual ~TrayPort() = default;
  virtual uint32_t Now() = 0;
  virtual uint32_t DoubleClickTime() = 0;
  // Lets window messages run (a double click is handled in there) until
  // `deadline` has passed or the settings window is visible.
  virtual void PumpUntil(uint32_t deadline) = 0;
  virtual bool SettingsVisible() = 0;
  virtual bool PointingOptionOn() = 0;
  virtual bool MeterVisible() = 0;
  virtual bool AllwaysShow() = 0;
  virtual void ShowMeter() = 0;
  virtual void CloseMeter() = 0;
  virtual void RefreshMeter() = 0;
  virtual void DrawMeter() = 0;
  virtual void ForceForegroundMeter() = 0;
  virtual void SetEditingBox(bool editing) = 0;
  virtual bool KeyDown(int vk) = 0;
  virtual bool PopupMenuOpen() = 0;
  virtual app::Point Cursor() = 0;
  virtual void OpenPopupMenu() = 0;
  // Opens the settings window modally (returns when it is closed).
  virtual void OpenSettings() = 0;
  // Endpoint path: enumerates the playback devices again (updating the
  // state's DefaultDeviceName and, where there is one, the device icon).
  virtual void RefreshDevices() = 0;
  // The main timer, held still by counted pauses (common/timer_pause.h).
  virtual void PauseTimer() = 0;
  virtual void ResumeTimer() = 0;
  // The tray icon's texts and picture.
  virtual std::string BalloonText() = 0;
  virtual void SetBalloonAndTip(const std::string& text) = 0;
  virtual void RedrawIcon(int volume) = 0;
  virtual bool IconFollowsDevice() = 0;  // device icon or device colours in use
};

void OnTrayLeftButtonUp(app::MainWindowState& s, TrayPort& port);
void OnTrayRightButtonUp(app::MainWindowState& s, TrayPort& port);
void OnTrayDoubleClick(app::MainWindowState& s, TrayPort& port);
void OnTrayPointerMove(app::MainWindowState& s, TrayPort& port);

}  // namespace volmaru::tray
