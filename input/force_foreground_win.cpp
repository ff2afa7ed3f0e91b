#include "input/force_foreground_win.h"

namespace volmaru::input {

void ForceForeground(HWND window) {
  const DWORD self = GetCurrentThreadId();
  const HWND foreground = GetForegroundWindow();
  // With its input joined to ours, SetForegroundWindow waits on the
  // foreground program's thread; a hung program (IsHungAppWindow: it has not
  // taken its messages for 5 s) would freeze us with it. It is not joined
  // then: the system may refuse the foreground, which is better than
  // waiting on another program.
  const bool hung = foreground && IsHungAppWindow(foreground);
  const DWORD other = foreground && !hung ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  const bool attached = other != 0 && other != self && AttachThreadInput(self, other, TRUE);
  DWORD timeout = 0;
  SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
  SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(window);
  SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(timeout)), 0);
  if (attached) AttachThreadInput(self, other, FALSE);
  // Wine drops the foreground when the input is detached again; asking once
  // more from our own, now foreground-capable, thread puts the window back.
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
}

}  // namespace volmaru::input
