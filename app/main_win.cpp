// Program entry of the resident program: one instance per logged-on user,
// then the four windows in their fixed order, then the message loop of the
// one GUI thread.
#include <windows.h>

#include "about/version_form_win.h"
#include "app/main_window_win.h"
#include "common/message_pump_win.h"
#include "app/settei_host_win.h"
#include "app/startup.h"
#include "common/handle_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "meter/volume_bar_form_win.h"
#include "settings/window/settei_form_win.h"
#ifdef VOLMARU_TEST_TRIGGERS
#include "tests/app/memory_endpoint.h"
#endif

namespace volmaru::app {
namespace {

int Run(HINSTANCE instance) {
  // The mutex lives in the session's own namespace and stays owned until
  // the process ends. An abandoned mutex (a crashed earlier instance) means
  // that no other instance runs.
  UniqueKernelHandle mutex(CreateMutexW(nullptr, FALSE, L"VolmaruMutex"));
  if (mutex && WaitForSingleObject(mutex.get(), 0) == WAIT_TIMEOUT) {
    ShowMessageBox(nullptr, kAlreadyRunningText, kAppTitle, MB_OK | MB_ICONINFORMATION);
    return 0;
  }

  ComApartment com;
  TVolumeChangeForm main(instance);
#ifdef VOLMARU_TEST_TRIGGERS
  main.EnableTestTriggers();
  // VOLMARU_MEMORY_ENDPOINT=<percent>: the endpoint volume kept in memory.
  wchar_t level[16];
  if (GetEnvironmentVariableW(L"VOLMARU_MEMORY_ENDPOINT", level, 16) > 0) {
    main.OverrideEndpoint(std::make_unique<testing::MemoryEndpoint>(static_cast<float>(_wtoi(level)) / 100.0f));
  }
#endif
  if (!main.Create()) {
    // Closed while it waited for the taskbar or for a playback device: a
    // normal end. A main window that could not be made at all is none.
    return main.alive() ? 1 : 0;
  }
  MainWindowSetteiHost setteiHost(main);
  settings::TVolumeChangeSetteiForm setteiForm;
  meter::TVolumeBarForm meterForm;
  if (!meterForm.Create(instance, main.meterHost(), main.hwnd())) return 1;
  setteiForm.Create(instance, setteiHost, main.hwnd());
  // The settings window sees every message first (the keys it captures,
  // its dialog keys), in this loop and in the nested ones.
  SetMessageFilter([&setteiForm](MSG& m) { return setteiForm.PreTranslate(m); });
  main.AttachForms(&meterForm, &setteiForm);
  // The version window's creation ends by enabling the main timer, so the
  // first tick runs once all four windows exist.
  about::TLoudnessDialVersionForm versionForm;
  versionForm.Create(instance, main.hwnd(), main.state().ExeFolder,
                     main.state().DataFolder + settings::kSettingsFileName, main, &meterForm, &setteiForm);
  main.AttachVersionForm(&versionForm);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchFiltered(msg);
  SetMessageFilter(nullptr);
  return static_cast<int>(msg.wParam);
}

}  // namespace
}  // namespace volmaru::app

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    return volmaru::app::Run(instance);
  } catch (...) {
    return 1;
  }
}
