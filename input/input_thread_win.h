// The global low-level hooks live on a thread of their own. Windows removes
// a low-level hook, without telling anyone, when its thread does not answer
// in time; the main thread blocks by design (message boxes, modal windows,
// device switches), so hooks installed there could silently stop working for
// the rest of the day. This thread only reads the few values the rules need
// and posts WM_VOLUME_WHEEL / WM_VOLUME_KEY to the main window.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "common/handle_win.h"

namespace volmaru::input {

// What the hooks read, written by the main thread.
struct HookShared {
  std::atomic<HWND> mainWindow{nullptr};
  std::atomic<HWND> meterWindow{nullptr};
  std::atomic<uint32_t> lastVolumeStepAt{0};
  std::atomic<int> volumeChangeWaitTime{0};
  std::atomic<int> mainKeyCode{29};
  std::atomic<int> muteKeyCode{40};
  std::atomic<bool> keyCaptureSlotSet{false};
  // GetTickCount when a hook last saw an event (input/hook_watch.h).
  std::atomic<uint32_t> hooksLastSawAt{0};
};

class InputThread {
 public:
  InputThread() = default;
  ~InputThread() { Stop(); }
  InputThread(const InputThread&) = delete;
  InputThread& operator=(const InputThread&) = delete;

  HookShared& shared() { return shared_; }
  // Starts the thread (once) and has it install whichever hook is missing.
  void InstallMissing();
  // Puts both hooks in afresh, each new one before its old one goes out
  // (a hook Windows removed silently still has its handle).
  void Reinstall();
  // Test builds only: removes both hooks behind the program's back and
  // keeps their handles, as Windows does with a hook that timed out.
  void DropHooksKeepingHandles();
  // Removes both hooks and ends the thread.
  void Stop();
  bool mouseInstalled() const { return mouseInstalled_; }
  bool keyboardInstalled() const { return keyboardInstalled_; }

 private:
  void Run();
  static unsigned __stdcall ThreadMain(void* self);

  HookShared shared_;
  UniqueKernelHandle thread_;
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> mouseInstalled_{false};
  std::atomic<bool> keyboardInstalled_{false};
};

}  // namespace volmaru::input
