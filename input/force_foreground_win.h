#pragma once

#include <windows.h>

namespace volmaru::input {

// Brings a window of this program to the foreground although another
// program is active: joins the foreground thread's input for the moment and
// lifts the foreground lock time-out around SetForegroundWindow.
void ForceForeground(HWND window);

}  // namespace volmaru::input
