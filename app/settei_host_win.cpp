#include "app/settei_host_win.h"

#include "app/main_window_win.h"
#include "common/message_pump_win.h"
#include "app/settei_handover.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "devices/device_switch.h"
#include "meter/volume_bar_form_win.h"
#include "settings/window/settei_form_win.h"
#include "settings/window/speech_win.h"
#include "settings/window/spoken_check.h"

namespace volmaru::app {
namespace {

// The spoken check as the main window carries it out.
class CheckPort final : public settings::SpokenCheckPort {
 public:
  CheckPort(TVolumeChangeForm& main, MainWindowState& s, settings::SpeechEngine& speech,
            const std::vector<TDefDeviceTrayIconData>& working, std::function<void(bool)> enableButton, HWND owner)
      : main_(main), s_(s), speech_(speech), working_(working), enableButton_(std::move(enableButton)), owner_(owner) {}
  void PauseTimer() override { main_.PauseTimer(); }
  void ResumeTimer() override { main_.ResumeTimer(); }
  int LastVolume() override { return s_.LastVolume; }
  bool SetVolume(int volume) override {
    main_.SetVolume(volume);
    return s_.VolumeSetOk;
  }
  int Speak(int volume) override { return speech_.Speak(volume); }
  void ShowMessage(std::string_view text) override { ShowMessageBox(owner_, text, "ボルマル", MB_OK); }
  const std::string& DefaultDeviceName() override { return s_.DefaultDeviceName; }
  void SetDefaultDeviceName(const std::string& name) override { s_.DefaultDeviceName = name; }
  bool SetDefaultPlaybackDevice(size_t index) override {
    return index < working_.size() && main_.SetDefaultDeviceNamed(working_[index].DeviceName);
  }
  void FollowDefaultDevice() override { main_.FollowDefaultDevice(); }
  void UpdateTrayIcon(int volume) override { main_.UpdateTrayIcon(volume); }
  void SetBalloonAndTip(const std::string& text) override { main_.SetTrayText(text); }
  const std::string& MainKeyName() override { return s_.Keyboard.MainKey.name; }
  void WaitLettingMessagesRun(uint32_t ms) override { PumpMessagesFor(ms); }
  void EnableNormalVolumeCheckButton(bool enabled) override {
    if (enableButton_) enableButton_(enabled);
  }

 private:
  TVolumeChangeForm& main_;
  MainWindowState& s_;
  settings::SpeechEngine& speech_;
  const std::vector<TDefDeviceTrayIconData>& working_;
  std::function<void(bool)> enableButton_;
  HWND owner_;
};

// The meter window, or none before it exists.
class MeterWindowPort final : public MeterHandOverPort {
 public:
  explicit MeterWindowPort(meter::TVolumeBarForm& meter) : meter_(meter) {}
  settings::MeterSettings& Settings() override { return meter_.meterSettings(); }
  bool AllwaysShow() override { return meter_.AllwaysShow(); }
  bool Visible() override { return meter_.visible(); }
  bool BarVisible() override { return meter_.barVisible(); }
  void DrawMeter() override { meter_.DrawMeter(); }
  void RefreshMeter() override { meter_.RefreshMeter(); }
  void Show() override { meter_.Show(); }
  void Close() override { meter_.Close(); }

 private:
  meter::TVolumeBarForm& meter_;
};

template <typename Action>
void WithMeter(meter::TVolumeBarForm* meter, Action action) {
  if (!meter) return action(nullptr);
  MeterWindowPort port(*meter);
  action(&port);
}

}  // namespace

MainWindowSetteiHost::MainWindowSetteiHost(TVolumeChangeForm& main)
    : main_(main), speech_(std::make_unique<settings::SpeechEngine>(main.state().ExeFolder)) {}

MainWindowSetteiHost::~MainWindowSetteiHost() = default;

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
  WithMeter(main_.meter_, [](MeterHandOverPort* m) { app::CloseMeterIfVisible(m); });
}

void MainWindowSetteiHost::ResetTrayPointedAt() { main_.state_.TrayPointedAt = 0; }

void MainWindowSetteiHost::ShowMeterIfAlwaysShown() {
  WithMeter(main_.meter_, [](MeterHandOverPort* m) { app::ShowMeterIfAlwaysShown(m); });
}

void MainWindowSetteiHost::HandOverKeyboardIconsAndProfiles(const settings::MainHandOver& v) {
  app::HandOverKeyboardIconsAndProfiles(v, main_.state_, *this);
}

void MainWindowSetteiHost::UpdateTrayIcon(int volume) { main_.UpdateTrayIcon(volume); }

void MainWindowSetteiHost::HandOverInputMenuAndSchedule(const settings::MainHandOver& v) {
  app::HandOverInputMenuAndSchedule(v, main_.state_, main_.menu_, *this);
}

void MainWindowSetteiHost::HandOverMeter(const settings::MeterHandOver& v) {
  WithMeter(main_.meter_, [&v](MeterHandOverPort* m) { app::HandOverMeter(v, m); });
}

void MainWindowSetteiHost::SyncHookState() { main_.SyncHookState(); }

void MainWindowSetteiHost::ApplyScheduleAfterSettings() { main_.ApplyScheduleAfterSettings(); }

void MainWindowSetteiHost::PauseTimer() { main_.PauseTimer(); }

void MainWindowSetteiHost::ResumeTimer() { main_.ResumeTimer(); }

std::atomic<bool>& MainWindowSetteiHost::KeyCaptureFlag() { return main_.input_.shared().keyCaptureSlotSet; }

void MainWindowSetteiHost::ShowHelp() { main_.ShowHelp(); }

void MainWindowSetteiHost::ShowVersion() { main_.ShowVersionModal(main_.settei_ ? main_.settei_->hwnd() : nullptr); }

void MainWindowSetteiHost::CheckVolume(const settings::VolumeCheckRequest& request) {
  if (!request.workingProfiles) return;
  CheckPort port(main_, main_.state_, *speech_, *request.workingProfiles, request.enableNormalVolumeButton,
                 main_.settei_ ? main_.settei_->hwnd() : main_.hwnd());
  if (request.which == settings::VolumeCheck::kNormalVolume) {
    if (request.normalVolumeDevice < 0) return;
    // Its switches there and back are the program's own: the system's
    // notices of them do not start a follow.
    const devices::OwnSwitchScope own(main_.state_);
    settings::NormalVolumeCheck(request.normalVolumeText, static_cast<size_t>(request.normalVolumeDevice),
                                *request.workingProfiles, port);
  } else {
    settings::BandVolumeCheck(*request.workingProfiles, request.bandOffset, port);
  }
}

}  // namespace volmaru::app
