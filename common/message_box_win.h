// Every message box the program shows. A resident program's box is raised
// by a timer, a hook or a device change while the user works in another
// program; Windows' foreground lock then keeps a new window behind that
// program, and a box owned by the hidden main window has no taskbar button
// that could flash. So each box is topmost and asks for the foreground
// (MB_TOPMOST | MB_SETFOREGROUND): it is in sight at once, and the main
// timer, which stands still while it is open, runs again as soon as the
// user has answered. While the session ends, no box is shown at all: it
// would hold up the log-off.
#pragma once

#include <windows.h>

#include <string_view>

namespace volmaru {

// MessageBoxW with the flags above; `type` gives the buttons and icon.
// Returns the button pressed, or `whileEnding` without showing anything
// once the session is ending.
int ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type, int whileEnding = IDOK);

// The main window's WM_QUERYENDSESSION / WM_ENDSESSION (a cancelled end of
// the session lets boxes show again).
void SetSessionEnding(bool ending);
bool SessionEnding();

}  // namespace volmaru
