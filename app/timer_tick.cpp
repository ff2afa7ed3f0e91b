#include "app/timer_tick.h"

#include <cstdlib>

#include "common/millis.h"

namespace volmaru::app {
namespace {

bool Contains(const meter::Rect& r, Point p) {
  return p.x >= r.left && p.x < r.left + r.width && p.y >= r.top && p.y < r.top + r.height;
}

bool NearPointedSpot(const MainWindowState& s, Point cursor) {
  return std::abs(cursor.x - s.TrayPointPos.x) <= kPointTolerancePx &&
         std::abs(cursor.y - s.TrayPointPos.y) <= kPointTolerancePx;
}

}  // namespace

void TrayPointingTick(MainWindowState& s, TickPort& port) {
  if (s.TrayPointedAt != 0 && port.Now() - s.TrayPointedAt > ClampMillis(s.TrayIconWaitTime)) {
    if (!port.MeterVisible() && NearPointedSpot(s, port.Cursor()) && !port.PopupMenuOpen()) {
      if (s.IsMuted)
        port.RefreshMeter();
      else
        port.DrawMeter();
      port.ProcessPendingMessages();
      port.ShowMeter();
      port.RepaintMeter();
      s.MeterShownAt = port.Now();
    }
    s.TrayPointedAt = 0;
  }
  // The meter may hide itself while the pointer still rests on the icon.
  if (port.MeterVisible() && NearPointedSpot(s, port.Cursor())) port.ClearEditingBox();
}

void Timer1Tick(MainWindowState& s, TickPort& port) {
  // 1-4. Hooks and polls.
  port.InstallMissingHooks();
  port.ReadMute();
  port.ProcessPendingMessages();
  if (!port.Muted()) port.ReadVolume();

  // 5. Middle click on the taskbar mutes, once per second while held. The
  // button is asked first (the thread's own key state, no call into the
  // system's input), the main key only while it is down, and the taskbars
  // are found only then.
  if (port.MiddleButtonDown() && !port.KeyDown(s.Keyboard.MainKey.code) && !port.NoChangeByMouse()) {
    const std::vector<meter::Rect> taskbars = port.TaskbarRects();
    if (!taskbars.empty()) {
      const uint32_t now = port.Now();
      const Point cursor = port.Cursor();
      bool over = false;
      for (const meter::Rect& taskbar : taskbars) over = over || Contains(taskbar, cursor);
      if (over && now - s.LastMuteToggleAt >= kMiddleClickGuardMs) {
        if (port.ToggleMute()) {
          port.RefreshMeter();
          port.ShowMeter();
          s.MeterShownAt = now;
        }
        s.LastMuteToggleAt = now;
      }
    }
  }

  // 6. Meter upkeep.
  if (port.MeterVisible()) {
    port.MakeMeterTopmost();
    const uint32_t now = port.Now();
    if (!port.IsEditingBox() && s.MeterShownAt != 0 &&
        now - s.MeterShownAt >= MillisFromSeconds(port.ShowTimeSeconds()) && !port.AllwaysShow()) {
      const Point c = port.Cursor();
      if (meter::PointerOutside(c.x, c.y, port.MeterRect())) {
        s.MeterShownAt = 0;
        port.CloseMeter();
      }
    }
  } else if (port.AllwaysShow() && !port.SettingsVisible()) {
    port.ShowMeter();
  }

  // 7. Time bands rest for 30 s after a wake-up, and are evaluated in the
  // first ten seconds of every minute.
  if (s.ResumedAt != 0) {
    if (port.Now() - s.ResumedAt >= kResumeRestMs) s.ResumedAt = 0;
  } else if (s.ScheduleUse) {
    port.ExpireScheduleMarks();
    if (!port.SettingsVisible() && port.SecondsOfMinute() < 10) port.ApplyVolumeSchedule();
  }

  // 8. Pointing at the tray icon.
  if (port.PointingOptionOn()) TrayPointingTick(s, port);

  // 9. Daily device schedule (needs at least two devices to choose from).
  if (s.DeviceProfiles.size() >= 2) port.RunDeviceSchedule();

  // 10.
  if (s.DeviceListRefreshedAt != 0 && port.Now() - s.DeviceListRefreshedAt >= kDeviceRefreshMs) {
    s.DeviceListRefreshedAt = 0;
  }
}

}  // namespace volmaru::app
