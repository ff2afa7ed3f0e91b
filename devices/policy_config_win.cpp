#include "devices/policy_config_win.h"

#include <windows.h>
#include <mmdeviceapi.h>

#include "common/handle_win.h"
#include "common/text_win.h"

namespace volmaru::devices {

// No SDK declares this interface. Only its layout matters:
// SetDefaultEndpoint is the thirteenth method, after IUnknown's three and
// nine others that this program never calls. It must not live in an
// unnamed namespace: the compiler would then know every class that
// implements it (none in this program) and drop the call as unreachable.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects end through Release
#endif
struct IPolicyConfig : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Unused4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused6() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused7() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR deviceId, ERole role) = 0;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace {

// {294935CE-F637-4E7C-A41B-AB255460B862}
constexpr CLSID kPolicyConfigClass = {0x294935CE, 0xF637, 0x4E7C, {0xA4, 0x1B, 0xAB, 0x25, 0x54, 0x60, 0xB8, 0x62}};
// {568B9108-44BF-40B4-9006-86AFE5B5A620}
constexpr IID kPolicyConfigInterface = {0x568B9108, 0x44BF, 0x40B4, {0x90, 0x06, 0x86, 0xAF, 0xE5, 0xB5, 0xA6, 0x20}};
// In-process server, in-process handler or local server.
constexpr DWORD kClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

class PolicyConfig final : public DefaultEndpointSetter {
 public:
  explicit PolicyConfig(ComPtr<IPolicyConfig> config) : config_(std::move(config)) {}
  bool SetDefaultEndpoint(const std::string& id, Role role) override {
    return SUCCEEDED(config_->SetDefaultEndpoint(Widen(id).c_str(), static_cast<ERole>(role)));
  }

 private:
  ComPtr<IPolicyConfig> config_;
};

}  // namespace

std::unique_ptr<DefaultEndpointSetter> CreatePolicyConfig() {
  ComPtr<IPolicyConfig> config;
  if (FAILED(CoCreateInstance(kPolicyConfigClass, nullptr, kClassContext, kPolicyConfigInterface, config.put_void()))) {
    return nullptr;
  }
  return std::make_unique<PolicyConfig>(std::move(config));
}

}  // namespace volmaru::devices
