// What the main window does with the settings window's OK and closing: the
// values it takes over, the popup menu's check marks, when the schedule is
// applied at once, how the meter is drawn again and when it comes back.
// Plain code over small ports, so that every one of these decisions is
// tested without a window; app/settei_host_win.cpp only forwards to it.
#pragma once

#include "app/main_window_state.h"
#include "settings/window/settei_host.h"
#include "settings/settings_store.h"
#include "tray/popup_menu.h"

namespace volmaru::app {

// The main window's work that needs the platform.
class HandOverPort {
 public:
  virtual ~HandOverPort() = default;
  // The hooks' copy of the values they read (main and mute keys, the wait
  // between volume steps).
  virtual void SyncHookState() = 0;
  // The schedule's table anew and one run at once, with the timer held.
  virtual void ApplyScheduleAfterSettings() = 0;
};

// The volume meter as these decisions see it.
class MeterHandOverPort {
 public:
  virtual ~MeterHandOverPort() = default;
  virtual settings::MeterSettings& Settings() = 0;
  virtual bool AllwaysShow() = 0;
  virtual bool Visible() = 0;
  // The bar is drawn (not only the set-volume box).
  virtual bool BarVisible() = 0;
  virtual void DrawMeter() = 0;
  virtual void RefreshMeter() = 0;
  virtual void Show() = 0;
  virtual void Close() = 0;
};

// OK, first step: the keys, the icon colours and the device profiles; the
// hooks then read the new keys.
void HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& values, MainWindowState& state, HandOverPort& port);

// OK, after the tray icon: the wheel and the waits, the check marks of
// "キーボード操作では音量変更しない(&N)" and "マウス操作では音量変更しない(&F)"
// as the settings window's two boxes were, the schedule and its switch. The
// schedule is applied at once only when it is switched on and was edited.
void HandOverInputMenuAndSchedule(const settings::MainHandOver& values, MainWindowState& state,
                                  tray::PopupMenuModel& menu, HandOverPort& port);

// OK, last step: the meter takes its values; a visible meter is drawn again
// (the whole meter while its bar shows, otherwise only refreshed), a hidden
// one is left hidden. `meter` is null before the meter window exists.
void HandOverMeter(const settings::MeterHandOver& values, MeterHandOverPort* meter);

// The settings window opens: a visible meter closes.
void CloseMeterIfVisible(MeterHandOverPort* meter);
// The settings window closed, whatever way: an always-shown meter that is
// hidden is shown again.
void ShowMeterIfAlwaysShown(MeterHandOverPort* meter);

}  // namespace volmaru::app
