#include "app/main_window_win.h"

#include <mmsystem.h>
#include <shlobj.h>

#include <ctime>

#include "about/version_form_win.h"
#include "app/shell_commands_win.h"
#include "app/shell_links_win.h"
#include "app/startup.h"
#include "app/timer_tick.h"
#include "common/dpi_win.h"
#include "common/file_win.h"
#include "common/message_box_win.h"
#include "common/message_pump_win.h"
#include "common/text_win.h"
#include "common/timer_pause.h"
#include "common/window_proc_win.h"
#include "devices/device_icon_win.h"
#include "devices/device_list.h"
#include "devices/device_switch.h"
#include "input/force_foreground_win.h"
#include "input/hook_watch.h"
#include "input/taskbars_win.h"
#include "meter/volume_bar_form_win.h"
#include "schedule/local_clock_win.h"
#include "settings/time_format_win.h"
#include "settings/window/settei_form_win.h"
#include "tray/icon_layout.h"
#include "tray/menu_commands.h"
#include "tray/tray_clicks.h"
#include "tray/tray_icon_updater_win.h"
#include "volume/endpoint_win.h"
#include "volume/mixer_master.h"
#include "volume/mixer_port_win.h"

namespace volmaru::app {
namespace {

constexpr int kAppIconResource = 1;
constexpr int kMuteIconResource = 2;
constexpr UINT kMenuCommandBase = 1000;
constexpr UINT kDeviceCommandBase = 2000;  // + the device item's index

UniqueIcon LoadResourceIcon(HINSTANCE instance, int id, int size) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

UniqueIcon LoadIconFile(const std::string& path, int size) {
  return UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
}

std::string ModulePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return Narrow(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

unsigned MajorVersion() {
  // The manifest declares every Windows version up to 10, so the answer is
  // the real one there; later versions still answer 6 or more.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#elif defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (!GetVersionExW(&info)) return 0;
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return info.dwMajorVersion;
}

bool KeyIsDown(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

// Session changes (a lock and its unlock): WTSRegisterSessionNotification,
// found at run time in wtsapi32 (XP has it; a system without it simply sends
// no notices).
constexpr UINT kWmSessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr WPARAM kSessionUnlock = 0x8;     // WTS_SESSION_UNLOCK

HMODULE SessionApi() {
  static const UniqueModule module = [] {
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH - 16) return UniqueModule();
    return UniqueModule(LoadLibraryW((std::wstring(path, n) + L"\\wtsapi32.dll").c_str()));
  }();
  return module.get();
}

bool RegisterSessionNotice(HWND window) {
  const HMODULE api = SessionApi();
  using Register = BOOL(WINAPI*)(HWND, DWORD);
  const auto reg =
      api ? reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(api, "WTSRegisterSessionNotification")))
          : nullptr;
  return reg && reg(window, 0 /* NOTIFY_FOR_THIS_SESSION */);
}

void UnregisterSessionNotice(HWND window) {
  const HMODULE api = SessionApi();
  using Unregister = BOOL(WINAPI*)(HWND);
  if (const auto unreg = api ? reinterpret_cast<Unregister>(
                                   reinterpret_cast<void*>(GetProcAddress(api, "WTSUnRegisterSessionNotification")))
                             : nullptr) {
    unreg(window);
  }
}

// An elevated instance gets no message from the shell, which runs at a
// lower integrity level, unless it lets the message through (User
// Interface Privilege Isolation): without this "TaskbarCreated" never
// arrives and the icon is gone for good after Explorer restarts. Windows 7
// and later filter per window (ChangeWindowMessageFilterEx), Vista per
// process (ChangeWindowMessageFilter); XP has no filter. Both are found at
// run time so that the program still starts on XP.
void AllowMessageFromLowerIntegrity(HWND window, UINT message) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32 || message == 0) return;
  using FilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using Filter = BOOL(WINAPI*)(UINT, DWORD);
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide filter
  if (const auto ex =
          reinterpret_cast<FilterEx>(reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")))) {
    ex(window, message, kAllow, nullptr);
  } else if (const auto filter = reinterpret_cast<Filter>(
                 reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilter")))) {
    filter(message, kAllow);
  }
}

}  // namespace

// The platform as the volume operations, the input rules and the timer tick
// see it.
class MainWindowPorts final : public volume::VolumeView,
                              public input::InputPort,
                              public TickPort,
                              public tray::TrayPort,
                              public tray::MenuCommandPort,
                              public schedule::ScheduleVolumePort,
                              public schedule::DeviceSchedulePort,

                              public devices::DeviceWindowPort {
 public:
  explicit MainWindowPorts(TVolumeChangeForm& f)
      : f_(f),
        endpoint_(f.endpointVolume_, [&f] { PostMessageW(f.hwnd(), kDeviceNoticeMessage, 0, 0); }),
        mixer_(f.mixer1_) {}
  volume::EndpointPort& endpoint() { return endpoint_; }
  volume::MixerMasterPort& mixer() { return mixer_; }

  // Shared.
  uint32_t Now() override { return timeGetTime(); }
  void ProcessPendingMessages() override { volmaru::ProcessPendingMessages(); }
  bool MeterVisible() override { return f_.meter_ && f_.meter_->visible(); }
  void ShowMeter() override {
    if (f_.meter_) f_.meter_->Show();
  }
  void CloseMeter() override {
    if (f_.meter_) f_.meter_->Close();
  }
  void RefreshMeter() override {
    if (f_.meter_) f_.meter_->RefreshMeter();
  }
  void DrawMeter() override {
    if (f_.meter_) f_.meter_->DrawMeter();
  }
  bool Muted() override { return f_.ops_->Muted(); }
  bool ToggleMute() override {
    f_.ops_->ToggleMute();
    return f_.state_.MuteToggleOk;
  }

  // VolumeView.
  void SetTrayText(const std::string& text) override {
    if (!f_.trayIcon_) return;
    const std::wstring w = Widen(text);
    f_.trayIcon_->SetBalloon(L"ボルマル", w);
    f_.trayIcon_->SetTip(w);
  }
  void ShowTrayImage(int index) override {
    if (f_.trayIcon_) f_.trayIcon_->ShowImage(static_cast<size_t>(index));
  }
  void SetMuteMenuCaption(std::string_view caption) override { f_.menu_.SetCaption(tray::MenuId::MenuMute, caption); }
  void ShowMeterKeepingForeground(bool refreshOnly) override {
    if (!f_.meter_) return;
    const HWND previous = GetForegroundWindow();
    f_.meter_->Show();
    if (refreshOnly)
      f_.meter_->RefreshMeter();
    else
      f_.meter_->DrawMeter();
    if (previous && GetForegroundWindow() != previous) SetForegroundWindow(previous);
  }
  void UpdateTrayIcon(int volume) override { f_.UpdateTrayIcon(volume); }
  void PauseTimer() override { f_.PauseTimer(); }
  void ResumeTimer() override { f_.ResumeTimer(); }
  void ShowMessage(std::string_view text) override { ShowMessageBox(f_.hwnd(), text, "ボルマル", MB_OK); }
  bool VolumeIconExists() override { return FileExists(f_.state_.DataFolder + "Volume.ico"); }

  // InputPort.
  bool MeterIsForeground() override { return f_.meter_ && GetForegroundWindow() == f_.meter_->hwnd(); }
  bool IsEditingBox() override { return f_.meter_ && f_.meter_->IsEditingBox; }
  void ForceForegroundMeter() override {
    if (f_.meter_) input::ForceForeground(f_.meter_->hwnd());
  }
  int CurrentVolume() override { return f_.ops_->CurrentVolume(); }
  bool SetVolume(int volume) override {
    f_.ops_->SetVolume(volume);
    return f_.state_.VolumeSetOk;
  }

  // TickPort.
  void InstallMissingHooks() override {
    if (!f_.input_.mouseInstalled() || !f_.input_.keyboardInstalled()) f_.input_.InstallMissing();
  }
  void ReadMute() override { f_.ops_->ReadMute(); }
  void ReadVolume() override { f_.ops_->ReadVolume(); }
  void ReadAfterRebind() override { f_.ops_->ReadAfterRebind(); }
  bool KeyDown(int vk) override { return KeyIsDown(vk); }
  bool MiddleButtonDown() override { return (GetKeyState(VK_MBUTTON) & 0x8000) != 0; }
  bool NoChangeByMouse() override { return f_.NoChangeByMouse(); }
  std::vector<meter::Rect> TaskbarRects() override {
    const input::Taskbars found = input::FindTaskbars();
    std::vector<meter::Rect> rects;
    if (!found.mainExists) return rects;
    for (int i = 0; i < found.count; ++i) {
      const RECT& r = found.rects[i];
      rects.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    return rects;
  }
  Point Cursor() override {
    POINT p{};
    GetCursorPos(&p);
    return {p.x, p.y};
  }
  meter::Rect MeterRect() override { return f_.meter_ ? f_.meter_->WindowRect() : meter::Rect{}; }
  void MakeMeterTopmost() override {
    if (f_.meter_) f_.meter_->MakeTopmost();
  }
  void ClearEditingBox() override {
    if (f_.meter_) f_.meter_->IsEditingBox = false;
  }
  int ShowTimeSeconds() override { return f_.meter_ ? f_.meter_->ShowTime() : 10; }
  bool AllwaysShow() override { return f_.meter_ && f_.meter_->AllwaysShow(); }
  void RepaintMeter() override {
    if (f_.meter_) f_.meter_->Repaint();
  }
  bool SettingsVisible() override { return f_.settei_ && f_.settei_->visible(); }
  bool PointingOptionOn() override { return f_.settei_ && f_.settei_->pages().IsShowByPointIcon; }
  bool PopupMenuOpen() override { return f_.menuOpen_; }
  int SecondsOfMinute() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wSecond;
  }
  // TrayPort.
  uint32_t DoubleClickTime() override { return GetDoubleClickTime(); }
  void PumpUntil(uint32_t deadline) override {
    while (static_cast<int32_t>(timeGetTime() - deadline) <= 0 && !SettingsVisible()) {
      if (!PumpMessagesFor(10)) return;
    }
  }
  void SetEditingBox(bool editing) override {
    if (f_.meter_) f_.meter_->IsEditingBox = editing;
  }
  void OpenPopupMenu() override { f_.ShowPopupMenu(); }
  void OpenSettings() override { f_.OpenSettings(); }
  void RefreshDevices() override { devices::EnumeratePlaybackDevices(f_.state_, f_.devices_, *this); }
  std::string BalloonText() override { return f_.trayIcon_ ? Narrow(f_.trayIcon_->balloonText()) : std::string(); }
  void SetBalloonAndTip(const std::string& text) override { SetTrayText(text); }
  void RedrawIcon(int volume) override { f_.UpdateTrayIcon(volume); }
  bool IconFollowsDevice() override {
    return f_.settei_ && (f_.settei_->pages().UseDefAudioDeviceIcon || f_.settei_->pages().ChangeIconColorByDevice);
  }

  // MenuCommandPort.
  void WriteSwitch(tray::MenuSwitch which, bool checked) override {
    using Toggle = settings::SettingsStore::Toggle;
    settings::ProfileFile file(settings::SystemFiles(), f_.state_.DataFolder + settings::kSettingsFileName);
    settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
    try {
      store.WriteToggle(which == tray::MenuSwitch::kNoChangeByKey     ? Toggle::kNoChangeByKey
                        : which == tray::MenuSwitch::kNoChangeByMouse ? Toggle::kNoChangeByMouse
                                                                      : Toggle::kNoShowBalloonHint,
                        checked);
    } catch (const settings::SettingsWriteError&) {
      // The mark stays as the user set it; the file keeps its old value.
    }
  }
  void SyncSettingsSwitch(tray::MenuSwitch which, bool checked) override {
    if (f_.settei_) f_.settei_->MenuSwitchToggled(which == tray::MenuSwitch::kNoChangeByKey, checked);
  }
  void ReleaseSettingsWindow() override {
    if (f_.settei_) f_.settei_->AllowCloseWithoutQuestion();
  }
  void RebindEndpointVolume() override { devices::MenuGetAudioEndVolClick(*this); }
  // DeviceWindowPort.
  std::vector<TDefDeviceTrayIconData> SavedDeviceProfiles(const settings::IconColours& global) override {
    settings::ProfileFile file(settings::SystemFiles(), f_.state_.DataFolder + settings::kSettingsFileName);
    return settings::SettingsStore(file, settings::UserLocaleDateTimeFormat()).ReadDeviceProfiles(global);
  }
  void EnableDeviceHeader() override { f_.menu_.item(tray::MenuId::MenuChangeDefAudioDevice).enabled = true; }
  void Sleep(uint32_t ms) override { ::Sleep(ms); }
  bool AcquireEndpointVolume() override {
    f_.endpointVolume_.reset();
    f_.endpointVolume_ = volume::AcquireEndpointVolume();
    return static_cast<bool>(f_.endpointVolume_);
  }
  void CloseMainWindow() override { PostMessageW(f_.hwnd(), WM_CLOSE, 0, 0); }
  void RunShellCommand(tray::MenuId id) override;

  // ScheduleVolumePort.
  void SetScheduledVolume(int volume) override { f_.SetVolume(volume); }
  bool StartupComplete() override { return f_.state_.StartupComplete; }
  void ShowMeterForChange() override {
    if (!f_.meter_) return;
    f_.meter_->Show();
    f_.state_.MeterShownAt = timeGetTime();
    f_.meter_->DrawMeter();
  }
  void ShowBalloon() override {
    if (f_.trayIcon_) f_.trayIcon_->ShowBalloon();
  }
  bool BalloonHintsOff() override { return f_.menu_.item(tray::MenuId::MenuNoShowBalloonHint).checked; }

  // The schedules hook in here.
  void ExpireScheduleMarks() override { f_.state_.ScheduleRuntime.ExpireStaleMarks(clock_.Now().date); }
  void ApplyVolumeSchedule() override {
    schedule::ApplyVolumeSchedule(f_.state_.ScheduleRuntime, f_.state_.DeviceProfiles, f_.state_.DefaultDeviceName,
                                  clock_.Now(), *this);
  }
  void RunDeviceSchedule() override {
    // A quiet tick reads no clock when no device switches daily.
    if (!schedule::AnyDeviceScheduled(f_.state_.DeviceProfiles)) return;
    schedule::RunDeviceSchedule(f_.state_.DeviceProfiles, clock_.Now(), f_.state_.DeviceSchedule, *this);
  }
  // DeviceSchedulePort.
  void RunPointingHandler() override { tray::OnTrayPointerMove(f_.state_, *this); }
  const std::string& DefaultDeviceName() override { return f_.state_.DefaultDeviceName; }
  bool SwitchToDevice(const std::string& deviceName, bool reportFailure) override {
    return devices::SwitchToDeviceNamed(f_.state_, f_.devices_, *this, deviceName, reportFailure);
  }

 private:
  TVolumeChangeForm& f_;
  volume::EndpointVolumePort endpoint_;
  volume::MixerMasterAdapter mixer_;
  schedule::LocalClock clock_;
};

// The shell commands' platform with the main window's timer and closing.
class MainWindowShell final : public SystemShell {
 public:
  explicit MainWindowShell(TVolumeChangeForm& f) : SystemShell(f.hwnd()), f_(f) {}
  void PauseTimer() override { f_.PauseTimer(); }
  void ResumeTimer() override { f_.ResumeTimer(); }
  void CloseMainWindow() override { PostMessageW(f_.hwnd(), WM_CLOSE, 0, 0); }
  intptr_t AssociatedProgram(const std::string& document, std::string& program) override {
    // Test builds only: VOLMARU_TEST_NO_FIND_EXECUTABLE stands in for an
    // association without a command line (Windows 11's Store Notepad),
    // which FindExecutable cannot name and Wine cannot stage.
    if (f_.testTriggers_ && GetEnvironmentVariableW(L"VOLMARU_TEST_NO_FIND_EXECUTABLE", nullptr, 0) > 0) {
      program.clear();
      return SE_ERR_NOASSOC;
    }
    return SystemShell::AssociatedProgram(document, program);
  }

 private:
  TVolumeChangeForm& f_;
};

void MainWindowPorts::RunShellCommand(tray::MenuId id) {
  if (id == tray::MenuId::MenuAbout) {
    if (f_.version_) f_.version_->Open();  // not modal
    return;
  }
  MainWindowShell shell(f_);
  app::RunShellCommand(id, f_.state_, f_.menu_, shell);
}

// The main window as the meter sees it: the values it draws, the volume it
// sets, the stamps it leaves, the input state and the main timer.
class MainWindowMeterHost final : public meter::MeterHost {
 public:
  explicit MainWindowMeterHost(TVolumeChangeForm& f) : f_(f), s_(f.state_) {}
  bool StartupComplete() override { return s_.StartupComplete; }
  bool HostAlive() override { return f_.alive(); }
  std::string DataFolder() override { return s_.DataFolder; }
  int CurrentVolume() override { return f_.ops_->CurrentVolume(); }
  bool MuteShown() override { return s_.MixerMute == 1 || s_.EndpointMute == 1; }
  meter::BarColourInputs ColourInputs() override {
    const settings::PageSettings defaults;
    const settings::PageSettings& pages = f_.settei_ ? f_.settei_->pages() : defaults;
    meter::BarColourInputs in;
    in.colorByIconColor = pages.ColorByIconColor;
    in.changeColorByDevice = pages.ChangeColorByDevice;
    in.pickerColour = pages.MeterColor;
    in.changeIconColorByDevice = pages.ChangeIconColorByDevice;
    in.iconText = s_.IconColours.Text;
    in.iconBack = s_.IconColours.Back;
    in.profiles = &s_.DeviceProfiles;
    in.defaultDeviceName = s_.DefaultDeviceName;
    return in;
  }
  bool SetVolume(int volume) override {
    f_.SetVolume(volume);
    return s_.VolumeSetOk;
  }
  int LastVolume() override { return s_.LastVolume; }
  void SetLastVolumeStepAt(uint32_t now) override {
    s_.LastVolumeStepAt = now;
    f_.SyncHookState();
  }
  void SetMeterShownAt(uint32_t now) override { s_.MeterShownAt = now; }
  bool NoChangeByMouse() override { return f_.NoChangeByMouse(); }
  meter::BoxPoint TrayPointPos() override { return {s_.TrayPointPos.x, s_.TrayPointPos.y}; }
  int MainKeyCode() override { return s_.Keyboard.MainKey.code; }
  bool MainKeyDown() override { return KeyIsDown(s_.Keyboard.MainKey.code); }
  void PauseTimer() override { f_.PauseTimer(); }
  void ResumeTimer() override { f_.ResumeTimer(); }

 private:
  TVolumeChangeForm& f_;
  MainWindowState& s_;
};

void TVolumeChangeForm::ShowHelp() {
  MainWindowShell shell(*this);
  MenuHelpClick(state_, shell);
}

void TVolumeChangeForm::ShowVersionModal(HWND over) {
  if (!version_) return;
  // Modal over the settings window: it waits, disabled, until the version
  // window is closed (hidden) again.
  if (over) EnableWindow(over, FALSE);
  version_->Open();
  while (version_->visible()) {
    if (!PumpMessagesFor(50)) break;
  }
  if (over) {
    EnableWindow(over, TRUE);
    SetForegroundWindow(over);
  }
}

bool TVolumeChangeForm::SetDefaultDeviceNamed(const std::string& name) {
  // The settings window's list is a copy taken when it opened; the devices
  // may have been listed again since, so the device is found by its name.
  for (size_t i = 0; i < state_.DeviceNames.size(); ++i) {
    if (state_.DeviceNames[i] == name) return devices::SetDefaultPlaybackDevice(state_, devices_, i);
  }
  return false;
}

void TVolumeChangeForm::FollowDefaultDevice() {
  devices::MenuGetAudioEndVolClick(*ports_);
  ops_->ReadAfterRebind();
}

void TVolumeChangeForm::SetTrayText(const std::string& text) { ports_->SetTrayText(text); }

void TVolumeChangeForm::ApplyScheduleAfterSettings() {
  const TimerPause<TVolumeChangeForm> hold(*this);
  schedule::LocalClock clock;
  schedule::ApplyAfterSettingsSaved(state_.ScheduleRuntime, state_.Schedule, state_.DeviceProfiles,
                                    state_.DefaultDeviceName, clock.Now(), *ports_);
}

// FormCreate's view of the platform.
class MainWindowPlatform final : public StartupPlatform {
 public:
  explicit MainWindowPlatform(TVolumeChangeForm& form) : form_(form) {}
  std::string ExePath() override { return ModulePath(); }
  std::string DocumentsFolder() override { return SpecialFolder(CSIDL_PERSONAL); }
  settings::FilePort& Files() override { return settings::SystemFiles(); }
  void WrapWindowProcedure() override {}  // every message passes Handle() first
  TrayAttempt TryCreateTrayIcon(const std::string& muteIconPath) override {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar)) return TrayAttempt::kNoVisibleTaskbar;
    return form_.CreateTrayIcon(muteIconPath) ? TrayAttempt::kCreated : TrayAttempt::kError;
  }
  bool Pause(uint32_t ms) override { return PumpMessagesFor(ms) && form_.alive(); }
  void InstallSilentErrorHandler() override {}  // the window procedures drop every error
  unsigned WindowsMajorVersion() override { return MajorVersion(); }
  void DestroyMixer() override { form_.mixer1_.reset(); }
  bool AcquireEndpointVolume() override {
    if (form_.EndpointHeldBackForTest()) return false;
    form_.endpointVolume_ = volume::AcquireEndpointVolume();
    return static_cast<bool>(form_.endpointVolume_);
  }
  void ShowMessage(std::string_view text) override { ShowMessageBox(form_.hwnd(), text, "ボルマル", MB_OK); }
  void InstallHooks() override { form_.input_.InstallMissing(); }
  std::string StartupFolder() override { return SpecialFolder(CSIDL_STARTUP); }
  std::vector<FolderEntry> ListFolder(const std::string& folder) override { return ListFolderEntries(folder); }
  std::string ResolveShortcutTarget(const std::string& linkPath) override {
    return app::ResolveShortcutTarget(linkPath);
  }
  settings::DateTimeFormat LocaleFormat() override { return settings::UserLocaleDateTimeFormat(); }
  void EnumeratePlaybackDevices(MainWindowState& state) override {
    devices::EnumeratePlaybackDevices(state, form_.devices_, *form_.ports_);
    devices::InsertDeviceMenuItems(state);
  }

 private:
  TVolumeChangeForm& form_;
};

TVolumeChangeForm::TVolumeChangeForm(HINSTANCE instance) : instance_(instance) {}

TVolumeChangeForm::~TVolumeChangeForm() {
  if (window_) window_.reset();
  input_.Stop();
}

bool TVolumeChangeForm::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kAppIconResource));
  wc.lpszClassName = kMainWindowClass;
  RegisterClassExW(&wc);
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  // A tool window that is never shown: no taskbar button.
  const HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, kMainWindowClass, L"ボルマル", WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, instance_, this);
  if (!hwnd) return false;
  window_ = UniqueWindow(hwnd);
  input_.shared().mainWindow = hwnd;
  AllowMessageFromLowerIntegrity(hwnd, taskbarCreatedMessage_);

  // The mixer component is needed only below Windows 6, where the start-up
  // sequence keeps it; on the endpoint path it would be destroyed unused, so
  // it is not made at all (its scan opens every mixer device and loads the
  // audio drivers' mixer code for nothing).
  if (MajorVersion() < 6) {
    mixer1_ = std::make_unique<volume::TMixer>(volume::SystemMixerPort());
    mixer1_->OnControlChange = [this](volume::TMixer&, volume::TMixerDev&, volume::TMixerItem&, volume::TMixerCtrl&) {
      ops_->Mixer1ControlChange();
    };
    try {
      mixer1_->Loaded();
    } catch (...) {
      // A mixer that cannot be scanned leaves the mixer path without a master.
    }
  }
  ports_ = std::make_unique<MainWindowPorts>(*this);
  meterHost_ = std::make_unique<MainWindowMeterHost>(*this);
  ops_ = std::make_unique<volume::VolumeOps>(state_, endpointOverride_ ? endpointOverride_.get() : &ports_->endpoint(),
                                             &ports_->mixer(), *ports_);
  inputHandlers_ = std::make_unique<input::InputHandlers>(state_, *ports_);

  MainWindowPlatform platform(*this);
  const bool ok = RunFormCreate(state_, menu_, platform);
  SyncHookState();
  if (ok && state_.UseEndpointVolume) notifications_.Register(hwnd, kDeviceNoticeMessage);
  if (ok) sessionNotifications_ = RegisterSessionNotice(hwnd);
  return ok;
}

bool TVolumeChangeForm::EndpointHeldBackForTest() const {
  if (!testTriggers_) return false;
  // VOLMARU_TEST_NO_ENDPOINT_WHILE=<file>: no playback device while the
  // file exists (Wine lists its devices once per process, so a device that
  // comes later cannot be staged otherwise).
  wchar_t path[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"VOLMARU_TEST_NO_ENDPOINT_WHILE", path, MAX_PATH);
  return n > 0 && n < MAX_PATH && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

void TVolumeChangeForm::OverrideEndpoint(std::unique_ptr<volume::EndpointPort> endpoint) {
  endpointOverride_ = std::move(endpoint);
  if (ops_) ops_->set_endpoint(endpointOverride_.get());
}
meter::MeterHost& TVolumeChangeForm::meterHost() { return *meterHost_; }

void TVolumeChangeForm::AttachForms(meter::TVolumeBarForm* meter, settings::TVolumeChangeSetteiForm* settei) {
  meter_ = meter;
  settei_ = settei;
  SyncHookState();
}

void TVolumeChangeForm::SyncHookState() {
  input::HookShared& h = input_.shared();
  h.lastVolumeStepAt = state_.LastVolumeStepAt;
  h.volumeChangeWaitTime = state_.VolumeChangeWaitTime;
  h.mainKeyCode = state_.Keyboard.MainKey.code;
  h.muteKeyCode = state_.Keyboard.MuteKey.code;
  h.meterWindow = meter_ ? meter_->hwnd() : nullptr;
  // keyCaptureSlotSet is the settings window's: it sets it the moment a
  // capture starts or ends.
}

input::InputSwitches TVolumeChangeForm::Switches() const {
  return {menu_.item(tray::MenuId::MenuNoChangeByKey).checked, NoChangeByMouse()};
}

bool TVolumeChangeForm::CreateTrayIcon(const std::string& muteIconPath) {
  trayDpi_ = TaskbarDpi();
  const int size = SmallIconSize(trayDpi_);
  std::vector<UniqueIcon> images;
  images.push_back(LoadResourceIcon(instance_, kAppIconResource, size));
  UniqueIcon mute = LoadIconFile(muteIconPath, size);
  // A missing "Data\mute.ico" would otherwise keep start-up retrying for
  // ever; the same picture is built into the program.
  if (!mute) mute = LoadResourceIcon(instance_, kMuteIconResource, size);
  images.push_back(std::move(mute));
  auto icon = std::make_unique<tray::TrayIcon>(hwnd(), std::move(images));
  icon->ShowImage(state_.IsMuted ? 1 : 0);
  icon->SetTip(L"ボルマル");
  icon->SetBalloon(L"ボルマル", L"");
  if (!icon->Add()) return false;
  trayIcon_ = std::move(icon);
  return true;
}

void TVolumeChangeForm::StartTimer() {
  timerStarted_ = true;
  if (window_ && timerHolds_ == 0) SetTimer(hwnd(), kMainTimerId, kMainTimerMs, nullptr);
}

void TVolumeChangeForm::PauseTimer() {
  if (timerHolds_++ == 0 && window_ && timerStarted_) KillTimer(hwnd(), kMainTimerId);
}

void TVolumeChangeForm::ResumeTimer() {
  if (timerHolds_ > 0 && --timerHolds_ == 0 && window_ && timerStarted_) {
    SetTimer(hwnd(), kMainTimerId, kMainTimerMs, nullptr);  // restarts the period
  }
}

void TVolumeChangeForm::SetVolume(int volume) {
  ops_->SetVolume(volume);
  SyncHookState();
}

void TVolumeChangeForm::UpdateTrayIcon(int number) {
  tray::TrayIconContext ctx;
  ctx.exeFolder = state_.ExeFolder;
  ctx.dataFolder = state_.DataFolder;
  if (settei_) {
    ctx.useDefAudioDeviceIcon = settei_->pages().UseDefAudioDeviceIcon;
    ctx.changeIconColorByDevice = settei_->pages().ChangeIconColorByDevice;
  }
  ctx.deviceIcon = devices::IconHandle(state_.DefaultDeviceIcon);
  ctx.profiles = &state_.DeviceProfiles;
  ctx.defaultDeviceName = state_.DefaultDeviceName;
  ctx.global = state_.IconColours;
  ctx.traySize = SmallIconSize(trayDpi_);
  tray::UpdateTrayIcon(number, ctx, trayIcon_.get(), state_.IconUpdating);
}

void TVolumeChangeForm::FollowTaskbarDpi() {
  if (!trayIcon_) return;
  const int dpi = TaskbarDpi();
  if (dpi == trayDpi_) return;
  trayDpi_ = dpi;
  // The mute picture and the number at the tray's new size.
  const int size = SmallIconSize(dpi);
  UniqueIcon mute = LoadIconFile(state_.ExeFolder + std::string(kMuteIconFile), size);
  if (!mute) mute = LoadResourceIcon(instance_, kMuteIconResource, size);
  trayIcon_->ReplaceImage(1, std::move(mute));
  if (state_.StartupComplete && !state_.IconUpdating) {
    UpdateTrayIcon(state_.LastVolume);
    if (state_.IsMuted) trayIcon_->ShowImage(1);
  }
}

void TVolumeChangeForm::Timer1Timer() {
  SyncHookState();
  Timer1Tick(state_, *ports_);
  if (++ticksToHookCheck_ >= input::kHookCheckTicks) {
    ticksToHookCheck_ = 0;
    CheckHooks();
  }
}

void TVolumeChangeForm::CheckHooks() {
  const uint32_t now = GetTickCount();
  // Hooks that saw an event a moment ago are alive.
  if (!input::HooksWorthAsking(input_.shared().hooksLastSawAt.load(), now)) return;
  LASTINPUTINFO last{};
  last.cbSize = sizeof last;
  if (!GetLastInputInfo(&last)) return;
  if (!input::HooksLookLost(last.dwTime, input_.shared().hooksLastSawAt.load(), hooksReinstalledAt_, now)) return;
  hooksReinstalledAt_ = now == 0 ? 1 : now;
  input_.Reinstall();
}

void TVolumeChangeForm::OnBackFromSleepOrLock() {
  // Windows may have removed the hooks while the machine slept or the
  // session was locked (the handles look valid all the same).
  input_.Reinstall();
  hooksReinstalledAt_ = GetTickCount();
  // The shell may have lost the icon meanwhile.
  if (trayIcon_) trayIcon_->Readd();
  // The endpoint may be stale: bound anew and read again.
  if (state_.StartupComplete && state_.UseEndpointVolume) PostMessageW(hwnd(), kDeviceNoticeMessage, 0, 0);
}

void TVolumeChangeForm::ShowPopupMenu() {
  // Before start-up completes the menu opens as it is.
  if (state_.StartupComplete && settei_) menu_.ApplyVisibility(settei_->pages().VisibleMenuItems);
  if (state_.StartupComplete && state_.UseEndpointVolume) devices::RebuildDeviceMenu(state_, devices_, *ports_);
  UniqueMenu popup(CreatePopupMenu());
  for (size_t i = 0; i < menu_.items().size(); ++i) {
    const tray::MenuItem& it = menu_.items()[i];
    if (!it.visible) continue;
    if (it.separator) {
      AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (!it.enabled) flags |= MF_GRAYED;
    if (it.checked) flags |= MF_CHECKED;
    AppendMenuW(popup.get(), flags, kMenuCommandBase + i, Widen(it.caption).c_str());
    if (it.id == tray::MenuId::MenuChangeDefAudioDevice) AppendDeviceItems(popup.get());
  }
  POINT pt;
  GetCursorPos(&pt);
  SetForegroundWindow(hwnd());
  menuOpen_ = true;
  const UINT cmd = static_cast<UINT>(
      TrackPopupMenu(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, pt.x, pt.y, 0, hwnd(), nullptr));
  menuOpen_ = false;
  PostMessageW(hwnd(), WM_NULL, 0, 0);
  if (cmd >= kMenuCommandBase && cmd < kMenuCommandBase + menu_.items().size()) {
    OnMenuCommand(menu_.items()[cmd - kMenuCommandBase].id);
  } else if (cmd >= kDeviceCommandBase && cmd - kDeviceCommandBase < state_.DeviceMenuItems.size()) {
    devices::SwitchToDeviceItem(state_, devices_, *ports_, cmd - kDeviceCommandBase);
  }
}

void TVolumeChangeForm::AppendDeviceItems(HMENU popup) const {
  for (const size_t k : state_.InsertedDeviceItems) {
    const DeviceMenuItem& item = state_.DeviceMenuItems[k];
    std::wstring caption = Widen(item.Caption);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.fType = MFT_STRING | MFT_RADIOCHECK;  // one radio group: the default device
    info.fState = item.Checked ? MFS_CHECKED : MFS_UNCHECKED;
    info.wID = static_cast<UINT>(kDeviceCommandBase + k);
    info.dwTypeData = caption.data();
    InsertMenuItemW(popup, GetMenuItemCount(popup), TRUE, &info);
  }
}

void TVolumeChangeForm::OnMenuCommand(tray::MenuId id) { tray::OnMenuCommand(id, state_, menu_, *ports_); }

void TVolumeChangeForm::OnTrayMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      tray::OnTrayLeftButtonUp(state_, *ports_);
      break;
    case WM_RBUTTONUP:
      tray::OnTrayRightButtonUp(state_, *ports_);
      break;
    case WM_LBUTTONDBLCLK:
      tray::OnTrayDoubleClick(state_, *ports_);
      break;
    case WM_MOUSEMOVE:
      tray::OnTrayPointerMove(state_, *ports_);
      break;
    default:
      break;  // the middle button does nothing here
  }
}

void TVolumeChangeForm::OpenSettings() {
  if (!settei_) return;
  // Modal: the caller continues when the window is closed (hidden) again.
  settei_->ShowModal();
}

void TVolumeChangeForm::FormDestroy() {
  timerStarted_ = false;
  KillTimer(hwnd(), kMainTimerId);
  KillTimer(hwnd(), kFollowTimerId);
  // No notice reaches the window once it goes.
  notifications_.Unregister();
  if (sessionNotifications_) UnregisterSessionNotice(hwnd());
  input_.Stop();  // removes both hooks
  if (state_.UseEndpointVolume) {
    state_.DeviceIDs.clear();
    state_.DeviceNames.clear();
    state_.DeviceMenuItems.clear();
    state_.InsertedDeviceItems.clear();
  }
  trayIcon_.reset();  // leaves the notification area with the window
}

LRESULT CALLBACK TVolumeChangeForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DispatchToObject(hwnd, msg, wp, lp, &TVolumeChangeForm::Handle);
}

LRESULT TVolumeChangeForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (taskbarCreatedMessage_ != 0 && msg == taskbarCreatedMessage_ && timerStarted_) {
    // The shell restarted: the icon goes back into the new tray, drawn for
    // the DPI the new taskbar has.
    if (trayIcon_) {
      FollowTaskbarDpi();
      trayIcon_->Readd();
    } else {
      CreateTrayIcon(state_.ExeFolder + std::string(kMuteIconFile));
    }
    return 0;
  }
  switch (msg) {
    case WM_TIMER:
      if (wp == kMainTimerId) Timer1Timer();
      if (wp == kFollowTimerId) {
        KillTimer(hwnd, kFollowTimerId);
        devices::FollowDefaultDevice(state_, devices_, *ports_);
        SyncHookState();
      }
      return 0;
    case kDeviceNoticeMessage:
      // Once for a burst of notices, after it has settled.
      if (state_.StartupComplete && devices::OnDefaultDeviceNotice(state_)) {
        SetTimer(hwnd, kFollowTimerId, devices::kFollowSettleMs, nullptr);
      }
      return 0;
    case kWmSessionChange:
      if (wp == kSessionUnlock) OnBackFromSleepOrLock();
      return 0;
    case input::WM_VOLUME_KEY:
      if (state_.StartupComplete)
        inputHandlers_->OnVolumeKey(static_cast<uint32_t>(wp), static_cast<uint32_t>(lp), Switches());
      SyncHookState();
      return 0;
    case input::WM_VOLUME_WHEEL:
      if (state_.StartupComplete) inputHandlers_->OnVolumeWheel(static_cast<uint32_t>(lp), Switches());
      SyncHookState();
      return 0;
    case tray::kTrayCallbackMessage:
      OnTrayMessage(static_cast<UINT>(lp));
      return 0;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(state_, static_cast<unsigned>(wp), timeGetTime());
      if (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND) OnBackFromSleepOrLock();
      return TRUE;
    case kTestBlockMessage:
      if (!testTriggers_) break;
      Sleep(static_cast<DWORD>(wp));
      return 0;
    case kTestDropHooksMessage:
      if (!testTriggers_) break;
      input_.DropHooksKeepingHandles();
      return 0;
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
      FollowTaskbarDpi();
      return 0;
    case WM_SETTINGCHANGE:
      FollowTaskbarDpi();
      break;
    case WM_QUERYENDSESSION:
      // Log-off or shut-down: nothing may hold it up from here on, no
      // message box among it. Every write of the settings is already whole
      // (each replaces the file at once), so nothing is lost.
      SetSessionEnding(true);
      return TRUE;
    case WM_ENDSESSION:
      if (!wp) SetSessionEnding(false);  // the end of the session was cancelled
      return 0;
    case WM_CLOSE:
      // Closing the main window ends the program.
      window_.reset();
      return 0;
    case WM_DESTROY:
      FormDestroy();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      // Destroyed from outside (end of session): the handle is gone.
      if (window_.get() == hwnd) (void)window_.release();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace volmaru::app
