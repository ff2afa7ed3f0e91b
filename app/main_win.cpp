// Entry of the resident program: a hidden main window that owns the tray
// icon, and the message loop of the one GUI thread.
//
// The main window is a hidden top-level window (not message-only) so that
// other programs, and the shell's broadcasts, can find it by its class name.
// It is never shown and so never gets a taskbar button.

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "common/handle_win.h"

namespace volmaru {
namespace {

constexpr wchar_t kMainClassName[] = L"TVolumeChangeForm";
constexpr wchar_t kProductName[] = L"ボルマル";
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallbackMessage = WM_APP + 1;
constexpr int kAppIconResourceId = 1;
// How often start-up looks again for a visible taskbar (early log-on, or an
// Explorer that is restarting).
constexpr DWORD kTaskbarPollMs = 250;

struct App {
  HINSTANCE instance = nullptr;
  UniqueWindow window;
  UniqueIcon trayImage;
  bool trayAdded = false;
};

// The icon is known to the shell by its owner window and id. The window is
// passed in: while it is being destroyed its owner already reads empty.
NOTIFYICONDATAW TrayData(HWND owner) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = owner;
  data.uID = kTrayIconId;
  return data;
}

bool AddTrayIcon(App& app) {
  if (!app.trayImage) {
    app.trayImage.reset(static_cast<HICON>(
        LoadImageW(app.instance, MAKEINTRESOURCEW(kAppIconResourceId), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0)));
  }
  NOTIFYICONDATAW data = TrayData(app.window.get());
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = app.trayImage.get();
  lstrcpynW(data.szTip, kProductName, ARRAYSIZE(data.szTip));
  app.trayAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  return app.trayAdded;
}

void RemoveTrayIcon(App& app, HWND owner) {
  if (!app.trayAdded) return;
  NOTIFYICONDATAW data = TrayData(owner);
  Shell_NotifyIconW(NIM_DELETE, &data);
  app.trayAdded = false;
}

bool TaskbarVisible() {
  const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  return taskbar != nullptr && IsWindowVisible(taskbar);
}

// Runs pending messages for up to `ms`. False once WM_QUIT arrived; it is
// posted again so the main loop ends too.
bool PumpMessagesFor(DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
  }
}

// The icon can only be added once the taskbar is there: at early log-on the
// program may start before Explorer has made it visible. False when the
// program was told to quit while waiting.
bool WaitForTaskbarAndAddIcon(App& app) {
  for (;;) {
    if (TaskbarVisible() && AddTrayIcon(app)) return true;
    if (!PumpMessagesFor(kTaskbarPollMs)) return false;
  }
}

// <documents>\ミズナラ舎\ボルマルData\, created with every missing level. A
// folder that cannot be made is not an error: the settings then stay at
// their defaults.
void EnsureDataFolder() {
  wchar_t documents[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE)) return;
  std::wstring path = documents;
  for (const wchar_t* level : {L"ミズナラ舎", L"ボルマルData"}) {
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    path += level;
    if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

LRESULT HandleMessage(App& app, HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      EnsureDataFolder();
      return 0;
    case WM_CLOSE:
      // Only the owner destroys the window, so the handle is never freed
      // twice.
      app.window.reset();
      return 0;
    case WM_DESTROY:
      RemoveTrayIcon(app, wnd);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  // An exception must not unwind into user32's frames: nothing above this
  // point knows how to handle it, and on 32-bit Windows it would cross
  // system code that was not built for it.
  try {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
      auto* app = static_cast<App*>(create->lpCreateParams);
      app->window.reset(wnd);
      SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(app));
    }
    auto* app = reinterpret_cast<App*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (app == nullptr) return DefWindowProcW(wnd, msg, wp, lp);
    return HandleMessage(*app, wnd, msg, wp, lp);
  } catch (...) {
    return msg == WM_NCCREATE ? FALSE : 0;
  }
}

int Run(HINSTANCE instance) {
  App app;
  app.instance = instance;

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = MainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconResourceId));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kMainClassName;
  if (!RegisterClassExW(&wc)) return 1;

  // WS_EX_TOOLWINDOW keeps it out of Alt+Tab and the taskbar even if
  // something should ever show it.
  if (!CreateWindowExW(WS_EX_TOOLWINDOW, kMainClassName, kProductName, WS_POPUP, 0, 0, 0, 0,
                       nullptr, nullptr, instance, &app)) {
    // A creation that failed after WM_NCCREATE has already destroyed it.
    (void)app.window.release();
    return 1;
  }

  if (WaitForTaskbarAndAddIcon(app)) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}

}  // namespace
}  // namespace volmaru

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return volmaru::Run(instance); }
