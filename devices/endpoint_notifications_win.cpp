#include "devices/endpoint_notifications_win.h"

#include <mmdeviceapi.h>

#include <atomic>

namespace volmaru::devices {

// The callback object the system holds; it lives as long as anyone holds a
// reference, and forgets its window once unregistered. COM objects end by
// Release, never by delete through the interface: its destructor is not
// virtual.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class EndpointNotificationClient final : public IMMNotificationClient {
 public:
  EndpointNotificationClient(HWND window, UINT message) : window_(window), message_(message) {}

  void Detach() { window_.store(nullptr); }

  // IUnknown
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IMMNotificationClient)) {
      *out = static_cast<IMMNotificationClient*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

  // IMMNotificationClient: the system's thread only posts; nothing else of
  // the program is touched here.
  HRESULT STDMETHODCALLTYPE OnDefaultDeviceChanged(EDataFlow flow, ERole role, LPCWSTR) override {
    if (flow == eRender && role == eConsole) Post();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceStateChanged(LPCWSTR, DWORD) override {
    Post();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceRemoved(LPCWSTR) override {
    Post();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDeviceAdded(LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnPropertyValueChanged(LPCWSTR, const PROPERTYKEY) override { return S_OK; }

 private:
  ~EndpointNotificationClient() = default;
  void Post() {
    if (const HWND w = window_.load()) PostMessageW(w, message_, 0, 0);
  }

  std::atomic<ULONG> refs_{1};
  std::atomic<HWND> window_;
  const UINT message_;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

EndpointNotifications::EndpointNotifications() = default;

EndpointNotifications::~EndpointNotifications() { Unregister(); }

bool EndpointNotifications::Register(HWND window, UINT message) {
  Unregister();
  ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              enumerator.put_void()))) {
    return false;
  }
  ComPtr<EndpointNotificationClient> client;
  *client.put() = new EndpointNotificationClient(window, message);
  if (FAILED(enumerator->RegisterEndpointNotificationCallback(client.get()))) {
    client->Detach();
    return false;
  }
  enumerator_ = std::move(enumerator);
  client_ = std::move(client);
  return true;
}

void EndpointNotifications::Unregister() {
  if (!client_) return;
  // A notice already under way on the system's thread finds no window.
  client_->Detach();
  if (enumerator_) enumerator_->UnregisterEndpointNotificationCallback(client_.get());
  client_.reset();
  enumerator_.reset();
}

}  // namespace volmaru::devices
