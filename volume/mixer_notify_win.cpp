#include "volume/mixer_notify_win.h"

#include <windows.h>

#include <utility>

#include "common/handle_win.h"

namespace volmaru::volume {

namespace {

constexpr wchar_t kClassName[] = L"VolmaruMixerNotify";

LRESULT CALLBACK MixerNotifyProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  } else if (msg == kMmMixmLineChange || msg == kMmMixmControlChange) {
    auto* target = reinterpret_cast<MixerNotifyTarget*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (!target) return 0;
    // An event handler's error has nowhere to go from here: it is dropped.
    try {
      if (msg == kMmMixmLineChange) {
        target->LineChanged(static_cast<MixerHandle>(wParam), static_cast<uint32_t>(lParam));
      } else {
        target->ControlChanged(static_cast<MixerHandle>(wParam), static_cast<uint32_t>(lParam));
      }
    } catch (...) {
    }
    return 0;
  }
  return DefWindowProcW(wnd, msg, wParam, lParam);
}

bool RegisterNotifyClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = MixerNotifyProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

class MixerNotifyWindow final : public MixerCallbackWindow {
 public:
  explicit MixerNotifyWindow(UniqueWindow wnd) : wnd_(std::move(wnd)) {}
  ~MixerNotifyWindow() override {
    // Messages still on their way must not reach a target that is going.
    if (wnd_) SetWindowLongPtrW(wnd_.get(), GWLP_USERDATA, 0);
  }
  MixerWindow Handle() const override { return reinterpret_cast<MixerWindow>(wnd_.get()); }

 private:
  UniqueWindow wnd_;
};

}  // namespace

std::unique_ptr<MixerCallbackWindow> CreateMixerNotifyWindow(MixerNotifyTarget& target) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterNotifyClass(instance)) return nullptr;
  UniqueWindow wnd(CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, &target));
  if (!wnd) return nullptr;
  return std::make_unique<MixerNotifyWindow>(std::move(wnd));
}

}  // namespace volmaru::volume
