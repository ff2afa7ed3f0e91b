#include "app/main_window_win.h"

#include <mmsystem.h>
#include <shlobj.h>

#include <ctime>

#include "app/message_pump_win.h"
#include "app/shell_links_win.h"
#include "app/startup.h"
#include "app/timer_tick.h"
#include "common/text_win.h"
#include "input/force_foreground_win.h"
#include "meter/volume_bar_form_win.h"
#include "settings/settei_form_win.h"
#include "settings/time_format_win.h"
#include "tray/icon_layout.h"
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

UniqueIcon LoadResourceIcon(HINSTANCE instance, int id, int size) {
  return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
}

UniqueIcon LoadIconFile(const std::string& path, int size) {
  return UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, Widen(path).c_str(), IMAGE_ICON, size, size, LR_LOADFROMFILE)));
}

bool FileExists(const std::string& path) {
  const DWORD attrs = GetFileAttributesW(Widen(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
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

}  // namespace

// The platform as the volume operations, the input rules and the timer tick
// see it.
class MainWindowPorts final : public volume::VolumeView,
                              public input::InputPort,
                              public TickPort,
                              public tray::TrayPort {
 public:
  explicit MainWindowPorts(TVolumeChangeForm& f) : f_(f), endpoint_(f.endpointVolume_), mixer_(f.mixer1_) {}
  volume::EndpointPort& endpoint() { return endpoint_; }
  volume::MixerMasterPort& mixer() { return mixer_; }

  // Shared.
  uint32_t Now() override { return timeGetTime(); }
  void ProcessPendingMessages() override { app::ProcessPendingMessages(); }
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
  void ShowMessage(std::string_view text) override { MessageBoxW(f_.hwnd(), Widen(text).c_str(), L"ボルマル", MB_OK); }
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
  bool KeyDown(int vk) override { return KeyIsDown(vk); }
  bool MiddleButtonDown() override { return (GetKeyState(VK_MBUTTON) & 0x8000) != 0; }
  bool NoChangeByMouse() override { return f_.NoChangeByMouse(); }
  std::optional<meter::Rect> TaskbarRect() override {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar) return std::nullopt;
    WINDOWINFO info{};
    info.cbSize = sizeof info;
    GetWindowInfo(taskbar, &info);
    const RECT& r = info.rcWindow;
    return meter::Rect{r.left, r.top, r.right - r.left, r.bottom - r.top};
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
  void RefreshDevices() override {}  // the device list arrives with the device subsystem
  std::string BalloonText() override { return f_.trayIcon_ ? Narrow(f_.trayIcon_->balloonText()) : std::string(); }
  void SetBalloonAndTip(const std::string& text) override { SetTrayText(text); }
  void RedrawIcon(int volume) override { f_.UpdateTrayIcon(volume); }
  bool IconFollowsDevice() override {
    return f_.settei_ && (f_.settei_->pages().UseDefAudioDeviceIcon || f_.settei_->pages().ChangeIconColorByDevice);
  }

  // The schedules hook in here.
  void ExpireScheduleMarks() override {}
  void ApplyVolumeSchedule() override {}
  void RunDeviceSchedule() override {}

 private:
  TVolumeChangeForm& f_;
  volume::EndpointVolumePort endpoint_;
  volume::MixerMasterAdapter mixer_;
};

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
  void Pause(uint32_t ms) override { PumpMessagesFor(ms); }
  void InstallSilentErrorHandler() override {}  // the window procedures drop every error
  unsigned WindowsMajorVersion() override { return MajorVersion(); }
  void DestroyMixer() override { form_.mixer1_.reset(); }
  bool AcquireEndpointVolume() override {
    form_.endpointVolume_ = volume::AcquireEndpointVolume();
    return static_cast<bool>(form_.endpointVolume_);
  }
  void ShowMessage(std::string_view text) override {
    MessageBoxW(form_.hwnd(), Widen(text).c_str(), L"ボルマル", MB_OK);
  }
  void InstallHooks() override { form_.input_.InstallMissing(); }
  std::string StartupFolder() override { return SpecialFolder(CSIDL_STARTUP); }
  std::vector<FolderEntry> ListFolder(const std::string& folder) override { return ListFolderEntries(folder); }
  std::string ResolveShortcutTarget(const std::string& linkPath) override {
    return app::ResolveShortcutTarget(linkPath);
  }
  settings::DateTimeFormat LocaleFormat() override { return settings::UserLocaleDateTimeFormat(); }
  void EnumeratePlaybackDevices(MainWindowState& state) override {
    // The device list comes with the device subsystem; until then the
    // profiles read from the file stand.
    state.DeviceIDs.clear();
    state.DeviceNames.clear();
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

  // The mixer component scans when its owner has loaded it, before the
  // start-up sequence decides whether it is kept.
  mixer1_ = std::make_unique<volume::TMixer>(volume::SystemMixerPort());
  mixer1_->OnControlChange = [this](volume::TMixer&, volume::TMixerDev&, volume::TMixerItem&, volume::TMixerCtrl&) {
    ops_->Mixer1ControlChange();
  };
  try {
    mixer1_->Loaded();
  } catch (...) {
    // A mixer that cannot be scanned leaves the mixer path without a master.
  }
  ports_ = std::make_unique<MainWindowPorts>(*this);
  ops_ = std::make_unique<volume::VolumeOps>(state_, &ports_->endpoint(), &ports_->mixer(), *ports_);
  inputHandlers_ = std::make_unique<input::InputHandlers>(state_, *ports_);

  MainWindowPlatform platform(*this);
  const bool ok = RunFormCreate(state_, menu_, platform);
  SyncHookState();
  return ok;
}

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
  const int size = GetSystemMetrics(SM_CXSMICON);
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
  ctx.profiles = &state_.DeviceProfiles;
  ctx.defaultDeviceName = state_.DefaultDeviceName;
  ctx.global = state_.IconColours;
  tray::UpdateTrayIcon(number, ctx, trayIcon_.get(), state_.IconUpdating);
}

void TVolumeChangeForm::Timer1Timer() {
  SyncHookState();
  Timer1Tick(state_, *ports_);
}

void TVolumeChangeForm::ShowPopupMenu() {
  // Before start-up completes the menu opens as it is.
  if (state_.StartupComplete && settei_) menu_.ApplyVisibility(settei_->pages().VisibleMenuItems);
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
  }
}

void TVolumeChangeForm::OnMenuCommand(tray::MenuId id) {
  using tray::MenuId;
  const auto writeToggle = [this](settings::SettingsStore::Toggle which, bool checked) {
    settings::ProfileFile file(settings::SystemFiles(), state_.DataFolder + settings::kSettingsFileName);
    settings::SettingsStore store(file, settings::UserLocaleDateTimeFormat());
    store.WriteToggle(which, checked);  // a failure is dropped with the handler
  };
  switch (id) {
    case MenuId::MenuNoChangeByKey:
    case MenuId::MenuNoChangeByMouse: {
      if (!state_.StartupComplete) return;
      tray::MenuItem& item = menu_.item(id);
      item.checked = !item.checked;
      // An open settings window shows the same switch.
      if (settei_ && settei_->visible()) settei_->MenuSwitchToggled(id == MenuId::MenuNoChangeByKey, item.checked);
      writeToggle(id == MenuId::MenuNoChangeByKey ? settings::SettingsStore::Toggle::kNoChangeByKey
                                                  : settings::SettingsStore::Toggle::kNoChangeByMouse,
                  item.checked);
      return;
    }
    case MenuId::MenuNoShowBalloonHint: {
      tray::MenuItem& item = menu_.item(id);
      item.checked = !item.checked;
      if (state_.StartupComplete) writeToggle(settings::SettingsStore::Toggle::kNoShowBalloonHint, item.checked);
      return;
    }
    case MenuId::MenuSettei:
      tray::MenuSetteiClick(state_, *ports_);
      return;
    case MenuId::MenuShowVolume:
      if (!meter_) return;
      meter_->Show();
      meter_->DrawMeter();
      input::ForceForeground(meter_->hwnd());
      state_.MeterShownAt = timeGetTime();
      return;
    case MenuId::MenuMute:
      if (meter_) meter_->Show();
      state_.MeterShownAt = timeGetTime();
      ops_->ToggleMute();
      if (state_.MuteToggleOk && meter_) meter_->RefreshMeter();
      state_.LastMuteToggleAt = timeGetTime();
      return;
    case MenuId::MenuGetAudioEndVol:
      endpointVolume_.reset();
      endpointVolume_ = volume::AcquireEndpointVolume();
      if (!endpointVolume_) {
        MessageBoxW(hwnd(), L"既定の再生デバイスに対応できませんでした。", L"ボルマル", MB_OK);
      }
      return;
    case MenuId::MenuEnd:
      if (settei_) settei_->AllowCloseWithoutQuestion();
      if (meter_ && meter_->visible()) meter_->Close();
      PostMessageW(hwnd(), WM_CLOSE, 0, 0);
      return;
    default:
      return;  // the other commands arrive with their windows
  }
}

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
  input_.Stop();  // removes both hooks
  if (state_.UseEndpointVolume) {
    state_.DeviceIDs.clear();
    state_.DeviceNames.clear();
  }
  trayIcon_.reset();  // leaves the notification area with the window
}

LRESULT CALLBACK TVolumeChangeForm::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TVolumeChangeForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  // No error may leave a window procedure: it is dropped and the program
  // keeps running.
  try {
    return self->Handle(hwnd, msg, wp, lp);
  } catch (...) {
    return 0;
  }
}

LRESULT TVolumeChangeForm::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (taskbarCreatedMessage_ != 0 && msg == taskbarCreatedMessage_ && timerStarted_) {
    // The shell restarted: the icon goes back into the new tray.
    if (trayIcon_)
      trayIcon_->Readd();
    else
      CreateTrayIcon(state_.ExeFolder + std::string(kMuteIconFile));
    return 0;
  }
  switch (msg) {
    case WM_TIMER:
      if (wp == kMainTimerId) Timer1Timer();
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
      return TRUE;
    case kTestBlockMessage:
      if (!testTriggers_) break;
      Sleep(static_cast<DWORD>(wp));
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
