#include "app/settei_host_win.h"

#include "app/main_window_win.h"
#include "meter/volume_bar_form_win.h"

namespace volmaru::app {

bool MainWindowSetteiHost::UseEndpointVolume() { return main_.state_.UseEndpointVolume; }

std::vector<TDefDeviceTrayIconData> MainWindowSetteiHost::DeviceProfiles() { return main_.state_.DeviceProfiles; }

std::string MainWindowSetteiHost::DefaultDeviceName() { return main_.state_.DefaultDeviceName; }

int MainWindowSetteiHost::LastVolume() { return main_.state_.LastVolume; }

std::optional<std::string> MainWindowSetteiHost::MenuCaption(int tag) {
  for (const tray::MenuItem& item : main_.menu_.items()) {
    if (item.tag == tag) return item.caption;
  }
  return std::nullopt;
}

std::string MainWindowSetteiHost::ExeFolder() { return main_.state_.ExeFolder; }

std::string MainWindowSetteiHost::DataFolder() { return main_.state_.DataFolder; }

uint32_t MainWindowSetteiHost::MeterColour() {
  return main_.meter_ ? main_.meter_->barColour() : settings::kDefaultMeterColour;
}

bool MainWindowSetteiHost::IconUpdating() { return main_.state_.IconUpdating; }

void MainWindowSetteiHost::CloseMeterIfVisible() {
  if (main_.meter_ && main_.meter_->visible()) main_.meter_->Close();
}

void MainWindowSetteiHost::ResetTrayPointedAt() { main_.state_.TrayPointedAt = 0; }

void MainWindowSetteiHost::ShowMeterIfAlwaysShown() {
  if (main_.meter_ && main_.meter_->AllwaysShow() && !main_.meter_->visible()) main_.meter_->Show();
}

void MainWindowSetteiHost::HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& v) {
  MainWindowState& s = main_.state_;
  s.Keyboard = v.Keyboard;
  s.IconColours = v.Icon;
  s.DeviceProfiles = v.DeviceProfiles;
  main_.SyncHookState();  // the hooks read the main and mute keys
}

void MainWindowSetteiHost::UpdateTrayIcon(int volume) { main_.UpdateTrayIcon(volume); }

void MainWindowSetteiHost::HandOverInputMenuAndSchedule(const settings::MainHandOver& v) {
  MainWindowState& s = main_.state_;
  s.WheelReverse = v.WheelReverse;
  s.VolumeChangeWaitTime = v.VolumeChangeWaitTime;
  s.TrayIconWaitTime = v.TrayIconWaitTime;
  main_.menu_.item(tray::MenuId::MenuNoChangeByKey).checked = v.NoChangeByKey;
  main_.menu_.item(tray::MenuId::MenuNoChangeByMouse).checked = v.NoChangeByMouse;
  // The table and its switch; the run-time schedule builds its slots from
  // them (and applies them once when they were edited).
  s.ScheduleUse = v.ScheduleUse;
  s.Schedule = v.Schedule;
  main_.SyncHookState();
}

void MainWindowSetteiHost::HandOverMeter(const settings::MeterHandOver& v) {
  meter::TVolumeBarForm* meter = main_.meter_;
  if (!meter) return;
  settings::MeterSettings& m = meter->meterSettings();
  m.Position = v.Position;
  m.AllwaysShow = v.AllwaysShow;
  m.ShowTime = v.ShowTime;
  m.IsNoShowPanelSetVolume = v.IsNoShowPanelSetVolume;
  m.Color = v.Color;
  if (!meter->visible()) return;
  if (meter->barVisible())
    meter->DrawMeter();
  else
    meter->RefreshMeter();
}

void MainWindowSetteiHost::PauseTimer() { main_.PauseTimer(); }

void MainWindowSetteiHost::ResumeTimer() { main_.ResumeTimer(); }

std::atomic<bool>& MainWindowSetteiHost::KeyCaptureFlag() { return main_.input_.shared().keyCaptureSlotSet; }

// The help text and the version window come with their own windows; until
// then these commands show nothing.
void MainWindowSetteiHost::ShowHelp() {}
void MainWindowSetteiHost::ShowVersion() {}

// The spoken check comes with its speech engine; until then a click on a
// "確認" button changes nothing.
void MainWindowSetteiHost::CheckVolume(const settings::VolumeCheckRequest&) {}

}  // namespace volmaru::app
