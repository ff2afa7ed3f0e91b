// The floor the resident program's idle cost is measured against
// (tools/idle-cost.sh): a hidden window that keeps only a tray icon, the
// default playback endpoint's volume interface and a 100 ms timer reading
// volume and mute. Nothing else: no hooks, no meter, no settings.
#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>
#include <shellapi.h>

#include "common/handle_win.h"

namespace {

constexpr UINT_PTR kTimer = 1;

struct Bare {
  volmaru::ComPtr<IAudioEndpointVolume> volume;
  float level = 0;
  BOOL muted = FALSE;
};
Bare* g_bare = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && g_bare && g_bare->volume) {
    g_bare->volume->GetMasterVolumeLevelScalar(&g_bare->level);
    g_bare->volume->GetMute(&g_bare->muted);
    return 0;
  }
  if (msg == WM_CLOSE) {
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

volmaru::ComPtr<IAudioEndpointVolume> DefaultEndpointVolume() {
  volmaru::ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              reinterpret_cast<void**>(enumerator.put())))) {
    return {};
  }
  volmaru::ComPtr<IMMDevice> device;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) return {};
  volmaru::ComPtr<IAudioEndpointVolume> volume;
  device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, reinterpret_cast<void**>(volume.put()));
  return volume;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  volmaru::ComApartment com;
  Bare bare;
  bare.volume = DefaultEndpointVolume();
  g_bare = &bare;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.lpszClassName = L"VolmaruBareTray";
  RegisterClassW(&wc);
  volmaru::UniqueWindow window(CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"bare", WS_POPUP, 0, 0, 0, 0,
                                               nullptr, nullptr, instance, nullptr));
  volmaru::UniqueIcon icon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION)));
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = window.get();
  d.uID = 1;
  d.uFlags = NIF_ICON | NIF_TIP;
  d.hIcon = icon.get();
  lstrcpyW(d.szTip, L"bare");
  while (!Shell_NotifyIconW(NIM_ADD, &d)) Sleep(250);
  SetTimer(window.get(), kTimer, 100, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  Shell_NotifyIconW(NIM_DELETE, &d);
  (void)window.release();  // destroyed by WM_CLOSE already
  return 0;
}
