// The DPI a window is shown at, found with whatever this Windows offers:
// per monitor on Windows 8.1 and later (GetDpiForMonitor) and per window on
// Windows 10 1607 and later (GetDpiForWindow, GetSystemMetricsForDpi), the
// system DPI before that (Windows XP with "large fonts" included). The
// newer functions are found at run time, so the programs still start on XP.
#pragma once

#include <windows.h>

#include "common/dpi.h"

namespace volmaru {

// The system DPI (the primary monitor's at log-on).
int SystemDpi();
// The DPI of the monitor `window` is on.
int WindowDpi(HWND window);
// The DPI of a monitor.
int MonitorDpi(HMONITOR monitor);
// The DPI of the monitor that shows the taskbar (the tray's icons are drawn
// for it); the system DPI without a taskbar.
int TaskbarDpi();
// GetSystemMetrics(`index`) as it is at `dpi`.
int SystemMetricForDpi(int index, int dpi);
// The notification area's icon size at `dpi` (16 at 96 dpi).
inline int SmallIconSize(int dpi) { return SystemMetricForDpi(SM_CXSMICON, dpi); }
// AdjustWindowRectEx with the frame of `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);

}  // namespace volmaru
