#include "tray/tray_clicks.h"

#include "common/timer_pause.h"
#include "tray/menu_commands.h"
#include "tray/tooltip_text.h"

namespace volmaru::tray {

void OnTrayDoubleClick(app::MainWindowState& s, TrayPort& port) { OpenSettingsHidingMeter(s, port); }

void OnTrayLeftButtonUp(app::MainWindowState& s, TrayPort& port) {
  const uint32_t clicked = port.Now();
  s.TrayClickedAt = clicked;
  // A second click within the double-click time is handled in here.
  port.PumpUntil(clicked + port.DoubleClickTime() + kDoubleClickExtraMs);
  if (port.SettingsVisible()) return;
  if (port.MeterVisible()) {
    if (!port.AllwaysShow()) port.CloseMeter();
    s.MeterShownAt = 0;
    return;
  }
  if (port.PointingOptionOn()) return;  // pointing shows the meter instead
  port.ShowMeter();
  if (s.IsMuted)
    port.RefreshMeter();
  else
    port.DrawMeter();
  port.ForceForegroundMeter();
  s.MeterShownAt = port.Now();
}

void OnTrayRightButtonUp(app::MainWindowState& s, TrayPort& port) {
  s.TrayClickedAt = port.Now();
  s.TrayPointedAt = 0;
  if (port.MeterVisible() && !port.AllwaysShow()) port.CloseMeter();
  port.OpenPopupMenu();
}

void OnTrayPointerMove(app::MainWindowState& s, TrayPort& port) {
  const uint32_t now = port.Now();
  // Clicks put pointing to sleep; the distance counts in either direction.
  const int32_t sinceClick = static_cast<int32_t>(now - s.TrayClickedAt);
  if ((sinceClick < 0 ? -sinceClick : sinceClick) < static_cast<int32_t>(kPointingSleepAfterClickMs)) return;
  if (port.KeyDown(s.Keyboard.MuteKey.code)) return;
  if (port.PopupMenuOpen()) return;
  if (port.MeterVisible()) {
    port.SetEditingBox(false);
    return;
  }
  if (s.TrayPointedAt != 0) return;
  if (port.PointingOptionOn()) s.TrayPointedAt = now;
  s.TrayPointPos = port.Cursor();
  if (!s.UseEndpointVolume) return;

  const std::string oldName = s.DefaultDeviceName;
  if (s.DeviceListRefreshedAt == 0) {
    s.DeviceListRefreshedAt = now;
    port.RefreshDevices();
  }
  if (s.DefaultDeviceName == oldName) return;
  const TimerPause<TrayPort> hold(port);
  if (port.IconFollowsDevice() && !s.IsMuted) port.RedrawIcon(s.LastVolume);
  std::string text = port.BalloonText();
  if (oldName.empty())
    text += DeviceSuffix(s.DefaultDeviceName);
  else
    text = ReplaceAllIgnoreCase(text, oldName, s.DefaultDeviceName);
  port.SetBalloonAndTip(text);
}

}  // namespace volmaru::tray
