#include "common/dpi_win.h"

#include "common/system_library_win.h"

#include <cstdint>
#include <string>

namespace volmaru {
namespace {

template <typename F>
F Find(const wchar_t* module, const char* name) {
  const HMODULE m = GetModuleHandleW(module);
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

// shcore.dll is not loaded by every program; it is looked for once, from
// the system folder.
HMODULE Shcore() { return SystemLibrary(L"shcore.dll"); }

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    const HDC screen = GetDC(nullptr);
    const int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : kDesignDpi;
  }();
  return dpi;
}

int WindowDpi(HWND window) {
  using ForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = Find<ForWindow>(L"user32.dll", "GetDpiForWindow");
  if (forWindow && window) {
    if (const UINT dpi = forWindow(window); dpi > 0) return static_cast<int>(dpi);
  }
  if (window) return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
  return SystemDpi();
}

int MonitorDpi(HMONITOR monitor) {
  using ForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const HMODULE shcore = Shcore();
  static const auto forMonitor =
      shcore ? reinterpret_cast<ForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
             : nullptr;
  UINT x = 0, y = 0;
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  if (forMonitor && monitor && SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return SystemDpi();
}

int TaskbarDpi() {
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  return taskbar ? MonitorDpi(MonitorFromWindow(taskbar, MONITOR_DEFAULTTOPRIMARY)) : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
  using ForDpi = int(WINAPI*)(int, UINT);
  static const auto forDpi = Find<ForDpi>(L"user32.dll", "GetSystemMetricsForDpi");
  if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
  // Before Windows 10 the metrics are the system DPI's; another monitor's
  // are the same scaled.
  const int system = GetSystemMetrics(index);
  const int systemDpi = SystemDpi();
  if (dpi == systemDpi) return system;
  return static_cast<int>((static_cast<int64_t>(system) * dpi + systemDpi / 2) / systemDpi);
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
  using ForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto forDpi = Find<ForDpi>(L"user32.dll", "AdjustWindowRectExForDpi");
  if (forDpi && forDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) return;
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

}  // namespace volmaru
