// PolicyConfigStandIn.dll: a stand-in for the system's policy-configuration
// object, for tests only (Wine has none). Registered for the object's class
// in a test prefix, it lets the unchanged program switch the default
// playback device under Wine:
// - every SetDefaultEndpoint call appends "<endpoint ID>\t<role>\n" (UTF-8)
//   to a log file: %VOLMARU_POLICY_LOG% when set, else
//   PolicyConfigStandIn.log beside this DLL;
// - it makes the endpoint the default the way Wine's PulseAudio driver reads
//   it: the REG_SZ "DefaultOutput" (roles 0 and 1) or "DefaultVoiceOutput"
//   (role 2) under HKCU\Software\Wine\Drivers\winepulse.drv.
// regsvr32 registers it for the current user and for the machine.
//
// The interface is declared here on its own, from its identifiers and the
// position of SetDefaultEndpoint: after IUnknown's three methods and nine
// others (all of which answer E_NOTIMPL).
#include <windows.h>
#include <mmdeviceapi.h>
#include <olectl.h>

#include <new>
#include <string>

#include "common/handle_win.h"
#include "common/text_win.h"

// COM objects end through Release, never through a base pointer's delete.
#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace {

using volmaru::Narrow;
using volmaru::UniqueKernelHandle;
using volmaru::UniqueRegKey;

constexpr CLSID kClass = {0x294935CE, 0xF637, 0x4E7C, {0xA4, 0x1B, 0xAB, 0x25, 0x54, 0x60, 0xB8, 0x62}};
constexpr IID kInterface = {0x568B9108, 0x44BF, 0x40B4, {0x90, 0x06, 0x86, 0xAF, 0xE5, 0xB5, 0xA6, 0x20}};
constexpr wchar_t kClassKey[] = L"Software\\Classes\\CLSID\\{294935CE-F637-4E7C-A41B-AB255460B862}";
constexpr wchar_t kDriverKey[] = L"Software\\Wine\\Drivers\\winepulse.drv";

HMODULE g_module = nullptr;
LONG g_live = 0;  // objects and server locks

struct IStandInPolicyConfig : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Slot3() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot4() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot5() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot6() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot7() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot8() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot9() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Slot11() = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR id, ERole role) = 0;  // slot 12
};

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  std::wstring p(path, n);
  const size_t slash = p.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

std::wstring LogPath() {
  wchar_t buf[MAX_PATH] = {};
  const DWORD n = GetEnvironmentVariableW(L"VOLMARU_POLICY_LOG", buf, MAX_PATH);
  if (n > 0 && n < MAX_PATH) return buf;
  return ModuleFolder() + L"PolicyConfigStandIn.log";
}

void AppendLog(const std::string& line) {
  HANDLE raw = CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return;
  const UniqueKernelHandle file(raw);
  DWORD written = 0;
  WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

bool SetStringValue(HKEY root, const wchar_t* path, const wchar_t* name, const std::wstring& value) {
  HKEY raw = nullptr;
  if (RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const UniqueRegKey key(raw);
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

class PolicyConfigStandIn final : public IStandInPolicyConfig {
 public:
  PolicyConfigStandIn() { InterlockedIncrement(&g_live); }
  PolicyConfigStandIn(const PolicyConfigStandIn&) = delete;
  PolicyConfigStandIn& operator=(const PolicyConfigStandIn&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, kInterface)) {
      *out = static_cast<IStandInPolicyConfig*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG n = InterlockedDecrement(&refs_);
    if (n == 0) {
      InterlockedDecrement(&g_live);
      delete this;
    }
    return static_cast<ULONG>(n);
  }
  HRESULT STDMETHODCALLTYPE Slot3() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot4() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot5() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot6() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot7() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot8() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot9() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot10() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Slot11() override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE SetDefaultEndpoint(LPCWSTR id, ERole role) override {
    if (!id) return E_POINTER;
    AppendLog(Narrow(id) + "\t" + std::to_string(static_cast<int>(role)) + "\n");
    if (role < eConsole || role > eCommunications) return E_INVALIDARG;
    const wchar_t* value = role == eCommunications ? L"DefaultVoiceOutput" : L"DefaultOutput";
    return SetStringValue(HKEY_CURRENT_USER, kDriverKey, value, id) ? S_OK : E_FAIL;
  }

 private:
  ~PolicyConfigStandIn() = default;
  LONG refs_ = 1;
};

class Factory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static object
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) PolicyConfigStandIn();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      InterlockedIncrement(&g_live);
    else
      InterlockedDecrement(&g_live);
    return S_OK;
  }
};

Factory g_factory;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID cls, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(cls, kClass)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return g_live == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  const std::wstring server = std::wstring(kClassKey) + L"\\InprocServer32";
  bool ok = false;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (SetStringValue(root, server.c_str(), nullptr, path) &&
        SetStringValue(root, server.c_str(), L"ThreadingModel", L"Both")) {
      ok = true;
    }
  }
  return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT WINAPI DllUnregisterServer() {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) RegDeleteTreeW(root, kClassKey);
  return S_OK;
}

}  // extern "C"
