#include "settings/window/settei_session.h"

#include <algorithm>

#include "common/timer_pause.h"

namespace volmaru::settings {

bool FileSetteiStorage::Exists() { return ProfileFile(files_, path_).Exists(); }

PageSettings FileSetteiStorage::LoadPages() {
  ProfileFile file(files_, path_);
  return SettingsStore(file, format_).LoadPages();
}

void FileSetteiStorage::EnsureDataFolder() {
  if (!files_.DirectoryExists(dataFolder_)) files_.CreateDirectories(dataFolder_);
}

void FileSetteiStorage::Save(const PageSettings& pages, const std::vector<TDefDeviceTrayIconData>& profiles) {
  ProfileFile file(files_, path_);
  SettingsStore(file, format_).SaveSettingsWindow(pages, profiles);
}

SetteiSession::SetteiSession(SetteiHost& host, SetteiStorage& storage) : host_(host), storage_(storage) {}

DependentStates SetteiSession::States() const {
  PageSwitches s;
  s.useEndpoint = useEndpoint_;
  s.colorSource = values.ColorByIconColor;
  s.meterByDevice = values.ChangeColorByDevice;
  s.allwaysShow = values.AllwaysShow;
  s.iconByDevice = values.ChangeIconColorByDevice;
  s.noChangeByKey = values.NoChangeByKey;
  s.noChangeByMouse = values.NoChangeByMouse;
  s.meterByDeviceUsable = meterByDeviceUsable;
  return ComputeDependentStates(s);
}

void SetteiSession::Create() {
  useEndpoint_ = host_.UseEndpointVolume();
  HasUnsavedChanges = false;
  schedule.Reset();
  dayFields = schedule.Display(0, true);
  LoadPageValues();
}

PageSettings SetteiSession::ClampedForDisplay(PageSettings p) const {
  // The choices and sliders can only show values of their range.
  if (p.Position < 0 || p.Position > 4) p.Position = 0;
  if (p.ColorByIconColor < 0 || p.ColorByIconColor > 2) p.ColorByIconColor = 0;
  p.TrayIconWaitTime = std::clamp(p.TrayIconWaitTime, 0, 2000);
  p.VolumeChangeWaitTime = std::clamp(p.VolumeChangeWaitTime, 0, 1000);
  // The device switches of the icon page are read only on the endpoint
  // path; elsewhere they keep what they hold.
  if (!useEndpoint_) {
    p.UseDefAudioDeviceIcon = values.UseDefAudioDeviceIcon;
    p.ChangeIconColorByDevice = values.ChangeIconColorByDevice;
  }
  return p;
}

void SetteiSession::TakeValues(const PageSettings& p) {
  values = ClampedForDisplay(p);
  stepText = std::to_string(values.Keyboard.VolumeStep);
  showTimeText = std::to_string(values.ShowTime);
  schedule.Load(values.Schedule);
  schedule.IsLoading = true;
  dayFields = schedule.Display(0, true);
  schedule.IsLoading = false;
  meterByDeviceUsable = MeterByDeviceUsableOnLoad(useEndpoint_, values.ColorByIconColor);
}

void SetteiSession::LoadPageValues() {
  if (!storage_.Exists()) {
    schedule.Reset();
    dayFields = schedule.Display(0, true);
    meterByDeviceUsable = MeterByDeviceUsableOnLoad(useEndpoint_, values.ColorByIconColor);
    return;
  }
  TakeValues(storage_.LoadPages());
}

void SetteiSession::RestoreFromFile() {
  // A missing file or key gives the defaults, so the values other parts
  // read return to what was saved, and cancelled edits do not come back at
  // the next opening either.
  TakeValues(storage_.LoadPages());
  normal.Drop();
}

void SetteiSession::Open() {
  host_.CloseMeterIfVisible();
  host_.ResetTrayPointedAt();
  IsReady = false;
  schedule.ScheduleEdited = false;
  LoadPageValues();
  capture.ClearAll();
  SetCaptureFlag();
  if (useEndpoint_) {
    std::vector<TDefDeviceTrayIconData> profiles = host_.DeviceProfiles();
    if (!profiles.empty()) WorkingProfiles = std::move(profiles);
  }
  iconDevice = meterDevice = scheduleDevice = -1;
  normalVolumeText = normal.Show(-1, WorkingProfiles);
  deviceSchedule = {};
  if (useEndpoint_ && !WorkingProfiles.empty()) {
    normalVolumeText = normal.Show(0, WorkingProfiles);
    ShowScheduleDevice(0);
    const int byName = ProfileIndexByName(WorkingProfiles, host_.DefaultDeviceName());
    iconDevice = meterDevice = byName >= 0 ? byName : 0;
  }
  IsReady = true;
  HasUnsavedChanges = false;
}

KeyBinding& SetteiSession::Binding(int tag) {
  KeyboardSettings& k = values.Keyboard;
  switch (static_cast<KeySlot>(tag)) {
    case KeySlot::kUp:
      return k.VolumeUpKey;
    case KeySlot::kDown:
      return k.VolumeDownKey;
    case KeySlot::kMute:
      return k.MuteKey;
    case KeySlot::kMain:
    default:
      return k.MainKey;
  }
}

void SetteiSession::SetCaptureFlag() { host_.KeyCaptureFlag().store(capture.Any()); }

KeyCapture::Click SetteiSession::ToggleCapture(int tag) {
  const KeyCapture::Click click = capture.Toggle(tag);
  SetCaptureFlag();
  if (click == KeyCapture::Click::kEnded) HasUnsavedChanges = true;
  return click;
}

bool SetteiSession::CaptureKey(int vk, KeyNamePort& layout) {
  if (!capture.Any()) return false;
  const TimerPause<SetteiHost> hold(host_);
  Binding(capture.Active()) = {vk, CapturedKeyName(vk, layout)};
  return true;
}

void SetteiSession::ColourSourceChanged(int source) {
  values.ColorByIconColor = source;
  ColourSourceInputs in;
  in.colorSource = source;
  in.useEndpoint = useEndpoint_;
  in.iconDeviceSelected = iconDevice >= 0;
  in.meterByDevice = values.ChangeColorByDevice;
  in.pickerColour = values.MeterColor;
  in.iconText = values.Icon.Text;
  in.iconBack = values.Icon.Back;
  in.iconByDevice = values.ChangeIconColorByDevice;
  in.profiles = &WorkingProfiles;
  const std::string defaultName = host_.DefaultDeviceName();
  in.defaultDeviceName = defaultName;
  const ColourSourceOutcome out = OnColourSourceChanged(in);
  values.ChangeColorByDevice = out.meterByDevice;
  meterByDeviceUsable = out.meterByDeviceUsable;
  values.MeterColor = out.pickerColour;
  Changed();
}

void SetteiSession::IconDeviceColoursChanged(uint32_t text, uint32_t back) {
  if (iconDevice < 0 || iconDevice >= static_cast<int>(WorkingProfiles.size())) return;
  WorkingProfiles[static_cast<size_t>(iconDevice)].TextColor = text;
  WorkingProfiles[static_cast<size_t>(iconDevice)].BackColor = back;
  Changed();
}

void SetteiSession::MeterDeviceColourChanged(uint32_t colour) {
  if (meterDevice < 0 || meterDevice >= static_cast<int>(WorkingProfiles.size())) return;
  WorkingProfiles[static_cast<size_t>(meterDevice)].VolumeBarColor = colour;
  Changed();
}

IconColours SetteiSession::PreviewColours() const {
  if (values.ChangeIconColorByDevice && iconDevice >= 0 && iconDevice < static_cast<int>(WorkingProfiles.size())) {
    const TDefDeviceTrayIconData& p = WorkingProfiles[static_cast<size_t>(iconDevice)];
    return {p.TextColor, p.BackColor};
  }
  return values.Icon;
}

void SetteiSession::MenuSwitchToggled(bool noChangeByKey, bool checked) {
  (noChangeByKey ? values.NoChangeByKey : values.NoChangeByMouse) = checked;
  HasUnsavedChanges = true;
}

schedule::ScheduleEditor::SelectResult SetteiSession::SelectDay(int group) {
  schedule::ScheduleEditor::SelectResult r = schedule.SelectDay(group, dayFields);
  if (!r.refusal) {
    schedule.IsLoading = true;
    dayFields = r.fields;
    schedule.IsLoading = false;
  }
  return r;
}

void SetteiSession::ScheduleFieldChanged() {
  if (schedule.IsLoading || !IsReady) return;
  schedule.ScheduleEdited = true;
  Changed();
}

void SetteiSession::NormalVolumeTyped() {
  if (schedule.IsLoading || !IsReady) return;
  normal.Typed();
  schedule.ScheduleEdited = true;
  Changed();
}

bool SetteiSession::StoreNormalVolume(SetteiUi& ui) {
  if (const auto refusal = normal.Store(normalVolumeText, WorkingProfiles)) {
    ui.ShowMessage(*refusal);
    return false;
  }
  return true;
}

void SetteiSession::ChooseNormalVolumeDevice(int index, SetteiUi& ui) {
  const schedule::NormalVolumeEditor::Choice c = normal.Choose(
      index, normalVolumeText, WorkingProfiles, [&ui](std::string_view question) { return ui.AskYesNo(question); });
  if (c.refusal) ui.ShowMessage(*c.refusal);
  if (c.switched) {
    schedule.IsLoading = true;
    normalVolumeText = c.fieldText;
    schedule.IsLoading = false;
  }
}

void SetteiSession::ShowScheduleDevice(int index) {
  scheduleDevice = index;
  DeviceScheduleLoading = true;
  if (index >= 0 && index < static_cast<int>(WorkingProfiles.size())) {
    deviceSchedule = schedule::ShowDeviceSchedule(WorkingProfiles[static_cast<size_t>(index)]);
  } else {
    deviceSchedule = {};
  }
  DeviceScheduleLoading = false;
}

void SetteiSession::DeviceChangeTicked(bool on, SetteiUi& ui) {
  if (!IsReady || DeviceScheduleLoading || scheduleDevice < 0) return;
  deviceSchedule.change = on;
  switch (schedule::OnDeviceChangeTicked(WorkingProfiles, scheduleDevice, on)) {
    case schedule::DeviceScheduleEdit::kConflict:
      ui.ShowMessage(schedule::kDeviceTimeTakenMessage);
      deviceSchedule.change = false;
      break;
    case schedule::DeviceScheduleEdit::kStored:
      Changed();
      break;
    case schedule::DeviceScheduleEdit::kIgnored:
      break;
  }
}

void SetteiSession::DeviceTimeKeyReleased(SetteiUi& ui) {
  if (!IsReady || scheduleDevice < 0) return;
  switch (schedule::OnDeviceTimeKeyReleased(WorkingProfiles, scheduleDevice, deviceSchedule.hour, deviceSchedule.minute,
                                            deviceSchedule.change)) {
    case schedule::DeviceScheduleEdit::kConflict:
      ui.ShowMessage(schedule::kDeviceTimeTakenMessage);
      break;
    case schedule::DeviceScheduleEdit::kStored:
      Changed();
      break;
    case schedule::DeviceScheduleEdit::kIgnored:
      break;
  }
}

SetteiSession::OkResult SetteiSession::Ok(SetteiUi& ui) {
  // The main timer stands still for all of OK: no tick (the daily device
  // switch with its own message among them) runs underneath a refusal or
  // the save's failure message, nor against half-handed-over values.
  const TimerPause<SetteiHost> hold(host_);
  if (!HasUnsavedChanges) {
    CloseAllowed = true;
    return OkResult::kClosed;
  }
  const auto refuse = [this](SetteiUi& u, std::string_view message, SetteiPage page, std::optional<FocusTarget> focus) {
    u.ShowMessage(message);
    u.ShowPage(page);
    if (focus) u.Focus(*focus);
    CloseAllowed = false;
    return OkResult::kRefused;
  };
  if (normal.pending() && !StoreNormalVolume(ui)) {
    ui.ShowPage(SetteiPage::kSchedule);
    ui.Focus({SetteiField::kNormalVolume});
    CloseAllowed = false;
    return OkResult::kRefused;
  }
  const std::optional<int> step = ValidStep(stepText);
  if (!step) return refuse(ui, kStepMessage, SetteiPage::kOperation, FocusTarget{SetteiField::kStep});
  const std::optional<int> showTime = ValidShowTime(showTimeText);
  if (!showTime) return refuse(ui, kShowTimeMessage, SetteiPage::kMeter, FocusTarget{SetteiField::kShowTime});
  if (values.ScheduleUse) {
    if (const auto r = schedule.ValidateScheduleDay(dayFields)) {
      ui.ShowMessage(r->message);
      if (r->showPage) {
        ui.ShowPage(SetteiPage::kSchedule);
        ui.Focus({SetteiField::kBandTime, r->band, r->field});
      }
      CloseAllowed = false;
      return OkResult::kRefused;
    }
  }
  const KeyboardSettings& k = values.Keyboard;
  if (SameKeyInPairs({k.MainKey.code, k.VolumeUpKey.code, k.VolumeDownKey.code, k.MuteKey.code})) {
    return refuse(ui, kSameKeyMessage, SetteiPage::kOperation, std::nullopt);
  }

  // Everything to be saved, taken over by the window only once the file
  // holds it.
  PageSettings saved = values;
  saved.Keyboard.VolumeStep = *step;
  saved.ShowTime = *showTime;
  if (saved.ScheduleUse && !schedule.AnyDayHasBands()) saved.ScheduleUse = false;
  saved.Schedule = schedule.bands();
  const std::string defaultName = host_.DefaultDeviceName();
  SavedMeterColourInputs colour;
  colour.colorSource = saved.ColorByIconColor;
  colour.meterByDevice = saved.ChangeColorByDevice;
  colour.pickerColour = saved.MeterColor;
  colour.iconByDevice = saved.ChangeIconColorByDevice;
  colour.iconText = saved.Icon.Text;
  colour.iconBack = saved.Icon.Back;
  colour.profiles = &WorkingProfiles;
  colour.defaultDeviceName = defaultName;
  colour.previous = host_.MeterColour();
  saved.MeterColor = SavedMeterColour(colour);
  try {
    storage_.EnsureDataFolder();
    storage_.Save(saved, WorkingProfiles);
  } catch (const SettingsWriteError&) {
    ui.ShowMessage(kSaveFailedMessage);
    CloseAllowed = false;
    return OkResult::kFailed;
  }

  MainHandOver main;
  main.Keyboard = saved.Keyboard;
  main.Icon = saved.Icon;
  main.DeviceProfiles = WorkingProfiles;
  main.WheelReverse = saved.WheelReverse;
  main.VolumeChangeWaitTime = saved.VolumeChangeWaitTime;
  main.TrayIconWaitTime = saved.TrayIconWaitTime;
  main.NoChangeByKey = saved.NoChangeByKey;
  main.NoChangeByMouse = saved.NoChangeByMouse;
  main.ScheduleUse = saved.ScheduleUse;
  main.Schedule = saved.Schedule;
  main.ScheduleEdited = schedule.ScheduleEdited;
  host_.HandOverKeyboardIconsAndProfiles(main);
  if (!host_.IconUpdating()) host_.UpdateTrayIcon(host_.LastVolume());
  host_.HandOverInputMenuAndSchedule(main);
  host_.HandOverMeter(
      {saved.Position, saved.AllwaysShow, saved.ShowTime, saved.IsNoShowPanelSetVolume, saved.MeterColor});

  // The window keeps showing what it saved; the meter picker keeps its own
  // colour until the next opening reads the saved one.
  const uint32_t picker = values.MeterColor;
  values = saved;
  values.MeterColor = picker;
  stepText = std::to_string(*step);
  showTimeText = std::to_string(*showTime);
  HasUnsavedChanges = false;
  CloseAllowed = true;
  return OkResult::kSaved;
}

void SetteiSession::Cancel() {
  capture.ClearAll();
  SetCaptureFlag();
  storage_.EnsureDataFolder();
  RestoreFromFile();
  HasUnsavedChanges = false;
  CloseAllowed = true;
}

bool SetteiSession::CloseQuery(SetteiUi& ui) {
  if (!HasUnsavedChanges) return true;
  if (ui.AskYesNo(kCloseQuestion)) {
    const OkResult r = Ok(ui);
    return r == OkResult::kSaved || r == OkResult::kClosed;
  }
  capture.ClearAll();
  SetCaptureFlag();
  storage_.EnsureDataFolder();
  RestoreFromFile();
  HasUnsavedChanges = false;
  CloseAllowed = true;
  return true;
}

void SetteiSession::OnClose() {
  schedule.ScheduleEdited = false;
  capture.ClearAll();
  SetCaptureFlag();
  IsReady = false;
  host_.ShowMeterIfAlwaysShown();
}

}  // namespace volmaru::settings
