#include "app/settei_handover.h"

namespace volmaru::app {

void HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& v, MainWindowState& s, HandOverPort& port) {
  s.Keyboard = v.Keyboard;
  s.IconColours = v.Icon;
  s.DeviceProfiles = v.DeviceProfiles;
  port.SyncHookState();  // the hooks read the main and mute keys
}

void HandOverInputMenuAndSchedule(const settings::MainHandOver& v, MainWindowState& s, tray::PopupMenuModel& menu,
                                  HandOverPort& port) {
  s.WheelReverse = v.WheelReverse;
  s.VolumeChangeWaitTime = v.VolumeChangeWaitTime;
  s.TrayIconWaitTime = v.TrayIconWaitTime;
  menu.item(tray::MenuId::MenuNoChangeByKey).checked = v.NoChangeByKey;
  menu.item(tray::MenuId::MenuNoChangeByMouse).checked = v.NoChangeByMouse;
  // The table and its switch; the run-time schedule builds its slots from
  // them (and applies them once when they were edited).
  s.ScheduleUse = v.ScheduleUse;
  s.Schedule = v.Schedule;
  s.ScheduleRuntime.inUse = v.ScheduleUse;
  port.SyncHookState();
  if (v.ScheduleUse && v.ScheduleEdited) port.ApplyScheduleAfterSettings();
}

void HandOverMeter(const settings::MeterHandOver& v, MeterHandOverPort* meter) {
  if (!meter) return;
  settings::MeterSettings& m = meter->Settings();
  m.Position = v.Position;
  m.AllwaysShow = v.AllwaysShow;
  m.ShowTime = v.ShowTime;
  m.IsNoShowPanelSetVolume = v.IsNoShowPanelSetVolume;
  m.Color = v.Color;
  if (!meter->Visible()) return;
  if (meter->BarVisible())
    meter->DrawMeter();
  else
    meter->RefreshMeter();
}

void CloseMeterIfVisible(MeterHandOverPort* meter) {
  if (meter && meter->Visible()) meter->Close();
}

void ShowMeterIfAlwaysShown(MeterHandOverPort* meter) {
  if (meter && meter->AllwaysShow() && !meter->Visible()) meter->Show();
}

}  // namespace volmaru::app
