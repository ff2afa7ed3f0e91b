// One tick of the 100 ms main timer, in its fixed order: hooks, mute and
// volume polls, the middle click on the taskbar, meter upkeep and automatic
// hiding, the time-band schedule, pointing at the tray icon, the daily
// device schedule and the expiry of the device refresh stamp.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/main_window_state.h"
#include "meter/meter_geometry.h"

namespace volmaru::app {

inline constexpr uint32_t kResumeRestMs = 30000;
inline constexpr uint32_t kDeviceRefreshMs = 30000;
inline constexpr uint32_t kMiddleClickGuardMs = 1000;
inline constexpr int kPointTolerancePx = 16;

class TickPort {
 public:
  virtual ~TickPort() = default;
  virtual uint32_t Now() = 0;
  virtual void InstallMissingHooks() = 0;
  virtual void ReadMute() = 0;
  virtual void ReadVolume() = 0;
  virtual void ProcessPendingMessages() = 0;
  virtual bool Muted() = 0;
  virtual bool ToggleMute() = 0;  // MuteToggleOk
  virtual bool KeyDown(int vk) = 0;
  virtual bool MiddleButtonDown() = 0;
  virtual bool NoChangeByMouse() = 0;
  // The rectangles of the taskbars: the main one's first, then those of
  // further monitors that are on screen; empty when there is no main
  // taskbar window.
  virtual std::vector<meter::Rect> TaskbarRects() = 0;
  virtual Point Cursor() = 0;

  virtual bool MeterVisible() = 0;
  virtual meter::Rect MeterRect() = 0;
  virtual void MakeMeterTopmost() = 0;
  virtual bool IsEditingBox() = 0;
  virtual void ClearEditingBox() = 0;
  virtual int ShowTimeSeconds() = 0;
  virtual bool AllwaysShow() = 0;
  virtual void ShowMeter() = 0;
  virtual void CloseMeter() = 0;
  virtual void RefreshMeter() = 0;
  virtual void DrawMeter() = 0;
  virtual void RepaintMeter() = 0;

  virtual bool SettingsVisible() = 0;
  virtual bool PointingOptionOn() = 0;  // show the meter when pointing at the icon
  virtual bool PopupMenuOpen() = 0;
  // Seconds of the local time of day (0-59).
  virtual int SecondsOfMinute() = 0;
  // The schedule steps; their rules live with the schedules.
  virtual void ExpireScheduleMarks() = 0;
  virtual void ApplyVolumeSchedule() = 0;
  virtual void RunDeviceSchedule() = 0;
};

void Timer1Tick(MainWindowState& s, TickPort& port);

// The pointing step alone (also run when the option is on).
void TrayPointingTick(MainWindowState& s, TickPort& port);

}  // namespace volmaru::app
