// Entry of RestartLoudDial.exe, a window-less GUI program beside
// Volmaru.exe: waits for the running program to end, then starts it again.
#include <windows.h>
#include <shellapi.h>

#include "app/restarter.h"
#include "app/shell_commands_win.h"
#include "common/handle_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"

namespace volmaru::app {
namespace {

class SystemRestarter final : public RestarterPort {
 public:
  Wait WaitForProgramEnd(uint32_t timeoutMs) override {
    // The program owns its mutex until its process ends; a mutex that does
    // not exist (any more) means that no instance runs.
    const UniqueKernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, L"VolmaruMutex"));
    if (!mutex) return Wait::kEnded;
    switch (WaitForSingleObject(mutex.get(), timeoutMs)) {
      case WAIT_OBJECT_0:
      case WAIT_ABANDONED:
        // Given back at once, or the new instance would find it taken.
        ReleaseMutex(mutex.get());
        return Wait::kEnded;
      default:
        return Wait::kTimedOut;
    }
  }
  std::string OwnFolder() override {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
      if (n < buf.size()) {
        buf.resize(n);
        break;
      }
      buf.resize(buf.size() * 2);
    }
    return Narrow(buf.substr(0, buf.find_last_of(L'\\') + 1));
  }
  intptr_t Start(const std::string& program, const std::string& folder) override {
    return OpenWithoutZoneCheck(nullptr, program, "", folder);
  }
  void ShowMessage(std::string_view text) override {
    ShowMessageBox(nullptr, text, "ボルマル", MB_OK | MB_ICONWARNING);
  }
};

}  // namespace
}  // namespace volmaru::app

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    volmaru::app::SystemRestarter port;
    return volmaru::app::RunRestarter(port);
  } catch (...) {
    return 3;
  }
}
