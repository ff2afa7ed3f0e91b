#include "input/input_thread_win.h"

#include <process.h>

#include <mmsystem.h>

#include "common/handle_win.h"
#include "input/hook_watch.h"
#include "input/input_rules.h"
#include "input/taskbars_win.h"

namespace volmaru::input {
namespace {

constexpr UINT kInstallMessage = WM_APP + 1;
constexpr UINT kStopMessage = WM_APP + 2;
constexpr UINT kReinstallMessage = WM_APP + 3;
constexpr UINT kDropMessage = WM_APP + 4;

// The hook procedures have no context argument; one input thread exists.
HookShared* g_shared = nullptr;

bool Down(int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0; }

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Both procedures run on the input thread only.
SeenOnce g_wheelSeen;
SeenOnce g_keySeen;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && g_shared) g_shared->hooksLastSawAt = GetTickCount();
  if (code == HC_ACTION && wp == WM_MOUSEWHEEL && g_shared) {
    const auto* ev = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    if (!g_wheelSeen.First(
            {ev->mouseData, static_cast<uint32_t>(ev->pt.x), static_cast<uint32_t>(ev->pt.y), ev->time})) {
      return CallNextHookEx(nullptr, code, wp, lp);
    }
    WheelHookContext c;
    c.now = timeGetTime();
    c.lastVolumeStepAt = g_shared->lastVolumeStepAt.load();
    c.volumeChangeWaitTime = g_shared->volumeChangeWaitTime.load();
    const Taskbars taskbars = FindTaskbars();
    if (taskbars.mainExists) {
      c.taskbarExists = true;
      c.taskbar = ToRect(taskbars.rects[0]);
      for (int i = 1; i < taskbars.count && c.secondaryCount < kMaxSecondaryTaskbars; ++i) {
        c.secondary[c.secondaryCount++] = ToRect(taskbars.rects[i]);
      }
      POINT pt;
      GetCursorPos(&pt);
      c.cursor = {pt.x, pt.y};
      const HWND meter = g_shared->meterWindow.load();
      if (meter && IsWindowVisible(meter)) {
        RECT r;
        GetWindowRect(meter, &r);
        c.meterVisible = true;
        c.meter = ToRect(r);
      }
      c.leftButtonDown = Down(VK_LBUTTON);
    }
    if (WheelQualifies(c)) {
      const int digit = HeldDigitTarget(Down);
      const bool mute = Down(g_shared->muteKeyCode.load());
      PostMessageW(g_shared->mainWindow.load(), WM_VOLUME_WHEEL, WM_MOUSEWHEEL,
                   static_cast<LPARAM>(EncodeWheelLParam(ev->mouseData, mute, digit)));
      return 1;  // consumed: the window under the pointer does not see it
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION && g_shared) g_shared->hooksLastSawAt = GetTickCount();
  if (g_shared && ShouldPostKey(code, static_cast<unsigned>(wp), g_shared->keyCaptureSlotSet.load())) {
    const auto* ev = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
    if (!g_keySeen.First({ev->vkCode, ev->scanCode, ev->flags, ev->time})) return CallNextHookEx(nullptr, code, wp, lp);
    // The main key's state now, not when the main thread gets round to it.
    const int main = g_shared->mainKeyCode.load();
    bool mainHeld = Down(main);
    if (!mainHeld && (main == VK_CONTROL || main == VK_SHIFT || main == VK_MENU)) {
      const int left = main == VK_CONTROL ? VK_LCONTROL : main == VK_SHIFT ? VK_LSHIFT : VK_LMENU;
      mainHeld = Down(left) || Down(left + 1);
    }
    PostMessageW(g_shared->mainWindow.load(), WM_VOLUME_KEY, EncodeKeyWParam(ev->scanCode, mainHeld),
                 static_cast<LPARAM>(ev->vkCode));
  }
  return CallNextHookEx(nullptr, code, wp, lp);  // keys are never consumed
}

}  // namespace

unsigned __stdcall InputThread::ThreadMain(void* self) {
  try {
    static_cast<InputThread*>(self)->Run();
  } catch (...) {
    // Nothing escapes the thread; the main thread's tick installs again.
  }
  return 0;
}

void InputThread::InstallMissing() {
  if (!thread_) {
    g_shared = &shared_;
    // The platform's own thread (through the C runtime, which sets up its
    // per-thread data): std::thread would bring a thread library that
    // imports functions Windows XP lacks.
    thread_.reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, this, 0, nullptr)));
    if (!thread_) return;  // tried again at the next tick
    // Above the threads of ordinary programs: under load the hooks answer
    // within the system's time-out, which the GUI thread could not promise.
    SetThreadPriority(thread_.get(), THREAD_PRIORITY_HIGHEST);
    while (threadId_.load() == 0) Sleep(1);
  }
  PostThreadMessageW(threadId_.load(), kInstallMessage, 0, 0);
}

void InputThread::Reinstall() {
  if (threadId_.load() != 0) PostThreadMessageW(threadId_.load(), kReinstallMessage, 0, 0);
}

void InputThread::DropHooksKeepingHandles() {
  if (threadId_.load() != 0) PostThreadMessageW(threadId_.load(), kDropMessage, 0, 0);
}

void InputThread::Stop() {
  if (!thread_) return;
  PostThreadMessageW(threadId_.load(), kStopMessage, 0, 0);
  WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
  threadId_ = 0;
  g_shared = nullptr;
}

void InputThread::Run() {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from here
  threadId_ = GetCurrentThreadId();
  UniqueHook mouse;
  UniqueHook keyboard;
  const HINSTANCE self = GetModuleHandleW(nullptr);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kInstallMessage) {
      // Mouse first, then keyboard; a failure is retried at the next request.
      if (!mouse) mouse.reset(SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, self, 0));
      if (!keyboard) keyboard.reset(SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, self, 0));
      mouseInstalled_ = static_cast<bool>(mouse);
      keyboardInstalled_ = static_cast<bool>(keyboard);
    } else if (msg.message == kReinstallMessage) {
      // The new copy goes in first, so that no event falls between the two;
      // an event both copies see is taken once (SeenOnce).
      if (UniqueHook fresh(SetWindowsHookExW(WH_MOUSE_LL, MouseHookProc, self, 0)); fresh) mouse = std::move(fresh);
      if (UniqueHook fresh(SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHookProc, self, 0)); fresh) {
        keyboard = std::move(fresh);
      }
      mouseInstalled_ = static_cast<bool>(mouse);
      keyboardInstalled_ = static_cast<bool>(keyboard);
    } else if (msg.message == kDropMessage) {
      // What Windows does with a hook that timed out: out of the chain, the
      // handle left as it was (unhooking it again later simply fails).
      if (mouse) UnhookWindowsHookEx(mouse.get());
      if (keyboard) UnhookWindowsHookEx(keyboard.get());
    } else if (msg.message == kStopMessage) {
      break;
    }
    DispatchMessageW(&msg);
  }
  mouse.reset();
  keyboard.reset();
  mouseInstalled_ = false;
  keyboardInstalled_ = false;
}

}  // namespace volmaru::input
