// TVolumeChangeForm: the hidden main resident window. It owns the tray icon,
// the popup menu, the mixer component, the endpoint volume, the input
// thread with the hooks, the 100 ms timer and the run-time state; its
// creation is the start-up sequence and its destruction the shut-down.
#pragma once

#include <windows.h>
#include <endpointvolume.h>

#include <memory>
#include <string>

#include "about/version_form.h"
#include "app/main_window_state.h"
#include "common/handle_win.h"
#include "devices/core_audio_devices_win.h"
#include "devices/endpoint_notifications_win.h"
#include "input/input_rules.h"
#include "input/input_thread_win.h"
#include "meter/meter_host.h"
#include "tray/popup_menu.h"
#include "tray/tray_icon_win.h"
#include "volume/mixers.h"
#include "volume/volume_ops.h"

namespace volmaru::about {
class TLoudnessDialVersionForm;
}
namespace volmaru::meter {
class TVolumeBarForm;
}
namespace volmaru::settings {
class TVolumeChangeSetteiForm;
}

namespace volmaru::app {

inline constexpr wchar_t kMainWindowClass[] = L"TVolumeChangeForm";
inline constexpr UINT_PTR kMainTimerId = 1;
inline constexpr UINT kMainTimerMs = 100;
// Test builds only: the main thread sleeps wParam ms (a stand-in for a modal
// box or a slow device call), to show that the hooks keep working.
inline constexpr UINT kTestBlockMessage = WM_APP + 300;
// Test builds only: the hooks are taken out behind the program's back with
// their handles kept, as Windows does with a hook that timed out.
inline constexpr UINT kTestDropHooksMessage = WM_APP + 301;
// The system's notice about the playback devices (posted from its thread).
inline constexpr UINT kDeviceNoticeMessage = WM_APP + 320;
inline constexpr UINT_PTR kFollowTimerId = 2;

class MainWindowPorts;
class MainWindowMeterHost;

class TVolumeChangeForm final : public about::VersionFormHost {
 public:
  explicit TVolumeChangeForm(HINSTANCE instance);
  ~TVolumeChangeForm() override;
  TVolumeChangeForm(const TVolumeChangeForm&) = delete;
  TVolumeChangeForm& operator=(const TVolumeChangeForm&) = delete;

  // Creates the window and runs FormCreate; false when start-up could not
  // complete.
  bool Create();
  // The other windows, once they exist.
  void AttachForms(meter::TVolumeBarForm* meter, settings::TVolumeChangeSetteiForm* settei);
  void AttachVersionForm(about::TLoudnessDialVersionForm* version) { version_ = version; }
  HWND hwnd() const { return window_.get(); }
  bool alive() const { return static_cast<bool>(window_); }
  MainWindowState& state() { return state_; }
  tray::PopupMenuModel& menu() { return menu_; }
  // Only the test build of the program calls this (see kTestBlockMessage).
  void EnableTestTriggers() { testTriggers_ = true; }
  // Test builds only: start-up finds no playback device for a while.
  bool EndpointHeldBackForTest() const;
  // Test builds only: the volume operations act on this endpoint instead of
  // the device's (Wine's cannot be set).
  void OverrideEndpoint(std::unique_ptr<volume::EndpointPort> endpoint);
  // Timer1. StartTimer switches it on for good (the version window's
  // creation); PauseTimer/ResumeTimer hold it still around an operation and
  // nest: it runs again, with a fresh period, when the last hold ends.
  void StartTimer();
  void PauseTimer();
  void ResumeTimer();
  void StartMainTimer() override { StartTimer(); }
  bool TimerRunning() const { return timerStarted_ && timerHolds_ == 0; }

  // The main window as the meter sees it (valid once Create ran).
  meter::MeterHost& meterHost();
  bool NoChangeByMouse() const { return menu_.item(tray::MenuId::MenuNoChangeByMouse).checked; }
  void SetVolume(int volume);
  void UpdateTrayIcon(int number);
  // The settings window's menu and OK.
  void ShowHelp();
  void ShowVersionModal(HWND over);
  // After OK with the schedule edited: the table anew and one run at once,
  // with the timer held.
  void ApplyScheduleAfterSettings();
  // The spoken check: the present device of that name made the default;
  // the volume control following the default device; the tray's text.
  bool SetDefaultDeviceNamed(const std::string& name);
  void FollowDefaultDevice();
  void SetTrayText(const std::string& text);

 private:
  friend class MainWindowPlatform;
  friend class MainWindowPorts;
  friend class MainWindowMeterHost;
  friend class MainWindowSetteiHost;
  friend class MainWindowShell;
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void FormDestroy();
  void Timer1Timer();
  bool CreateTrayIcon(const std::string& muteIconPath);
  void OnTrayMessage(UINT mouseMessage);
  void ShowPopupMenu();
  void AppendDeviceItems(HMENU popup) const;
  void OpenSettings();
  void OnMenuCommand(tray::MenuId id);
  void SyncHookState();
  input::InputSwitches Switches() const;
  // After sleep or an unlocked session: the hooks anew, the tray icon back,
  // the endpoint bound again.
  void OnBackFromSleepOrLock();
  // The tray's icons drawn again when the taskbar's DPI changed.
  void FollowTaskbarDpi();
  void CheckHooks();

  HINSTANCE instance_;
  UniqueWindow window_;
  MainWindowState state_;
  tray::PopupMenuModel menu_;
  std::unique_ptr<tray::TrayIcon> trayIcon_;
  input::InputThread input_;
  ComPtr<IAudioEndpointVolume> endpointVolume_;
  devices::CoreAudioDevices devices_;
  std::unique_ptr<volume::TMixer> mixer1_;
  std::unique_ptr<MainWindowPorts> ports_;
  std::unique_ptr<MainWindowMeterHost> meterHost_;
  std::unique_ptr<volume::VolumeOps> ops_;
  std::unique_ptr<volume::EndpointPort> endpointOverride_;
  std::unique_ptr<input::InputHandlers> inputHandlers_;
  meter::TVolumeBarForm* meter_ = nullptr;
  settings::TVolumeChangeSetteiForm* settei_ = nullptr;
  about::TLoudnessDialVersionForm* version_ = nullptr;
  bool timerStarted_ = false;
  int timerHolds_ = 0;
  bool menuOpen_ = false;
  bool testTriggers_ = false;
  UINT taskbarCreatedMessage_ = 0;
  devices::EndpointNotifications notifications_;
  bool sessionNotifications_ = false;
  int ticksToHookCheck_ = 0;
  int trayDpi_ = 96;
  uint32_t hooksReinstalledAt_ = 0;
};

}  // namespace volmaru::app
