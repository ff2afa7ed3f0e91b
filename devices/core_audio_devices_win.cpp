#include "devices/core_audio_devices_win.h"

#include <windows.h>
#include <mmdeviceapi.h>
#include <shellapi.h>

#include "common/handle_win.h"
#include "common/text_win.h"
#include "devices/device_icon_win.h"
#include "devices/device_list.h"
#include "devices/policy_config_win.h"

namespace volmaru::devices {
namespace {

// PKEY_Device_FriendlyName and PKEY_DeviceClass_IconPath (the second is
// missing from some SDK headers).
constexpr PROPERTYKEY kFriendlyNameKey = {
    {0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}}, 14};
constexpr PROPERTYKEY kIconPathKey = {{0x259ABFFC, 0x50A7, 0x47CE, {0xAF, 0x08, 0x68, 0xC9, 0xA7, 0xD7, 0x33, 0x66}},
                                      12};

std::optional<std::string> IdOf(IMMDevice* device) {
  CoTaskMem<wchar_t> id;
  if (FAILED(device->GetId(id.put())) || !id.get()) return std::nullopt;
  return Narrow(id.get());
}

// A wide-string value; a property the device does not have reads as "".
std::optional<std::string> StringValue(IPropertyStore* store, const PROPERTYKEY& key) {
  PropVariant value;
  if (FAILED(store->GetValue(key, value.put()))) return std::nullopt;
  if (value.get().vt != VT_LPWSTR || !value.get().pwszVal) return std::string();
  return Narrow(value.get().pwszVal);
}

class CoreAudioEndpointList final : public EndpointList {
 public:
  CoreAudioEndpointList(ComPtr<IMMDeviceEnumerator> enumerator, ComPtr<IMMDeviceCollection> collection, UINT count)
      : enumerator_(std::move(enumerator)), collection_(std::move(collection)), count_(count) {}

  size_t Count() override { return count_; }

  std::optional<std::string> DefaultId() override {
    ComPtr<IMMDevice> device;
    if (FAILED(enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) return std::nullopt;
    return IdOf(device.get());
  }

  std::optional<std::string> Id(size_t i) override {
    ComPtr<IMMDevice> device;
    if (FAILED(collection_->Item(static_cast<UINT>(i), device.put()))) return std::nullopt;
    return IdOf(device.get());
  }

  std::optional<EndpointProperties> Properties(size_t i) override {
    ComPtr<IMMDevice> device;
    if (FAILED(collection_->Item(static_cast<UINT>(i), device.put()))) return std::nullopt;
    ComPtr<IPropertyStore> store;
    if (FAILED(device->OpenPropertyStore(STGM_READ, store.put()))) return std::nullopt;
    std::optional<std::string> name = StringValue(store.get(), kFriendlyNameKey);
    if (!name) return std::nullopt;
    std::optional<std::string> iconPath = StringValue(store.get(), kIconPathKey);
    if (!iconPath) return std::nullopt;
    return EndpointProperties{std::move(*name), std::move(*iconPath)};
  }

 private:
  ComPtr<IMMDeviceEnumerator> enumerator_;
  ComPtr<IMMDeviceCollection> collection_;
  UINT count_;
};

}  // namespace

std::unique_ptr<EndpointList> CoreAudioDevices::ListPlaybackEndpoints() {
  ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              enumerator.put_void()))) {
    return nullptr;
  }
  ComPtr<IMMDeviceCollection> collection;
  if (FAILED(enumerator->EnumAudioEndpoints(eRender, DEVICE_STATE_ACTIVE, collection.put()))) return nullptr;
  UINT count = 0;
  if (FAILED(collection->GetCount(&count))) return nullptr;
  return std::make_unique<CoreAudioEndpointList>(std::move(enumerator), std::move(collection), count);
}

std::unique_ptr<DefaultEndpointSetter> CoreAudioDevices::CreateDefaultEndpointSetter() { return CreatePolicyConfig(); }

std::string CoreAudioDevices::EnvironmentVariable(std::string_view name) {
  const std::wstring wname = Widen(name);
  std::wstring value(64, L'\0');
  for (;;) {
    const DWORD n = GetEnvironmentVariableW(wname.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) {
      value.resize(n);
      return Narrow(value);
    }
    value.resize(n);  // n counts the terminating zero here
  }
}

namespace {

// Only the large picture is ever drawn: the small one is not asked for.
HICON LargeIconOf(const std::wstring& file, int index) {
  HICON large = nullptr;
  if (ExtractIconExW(file.c_str(), index, &large, nullptr, 1) == 0) return nullptr;
  return large;
}

// A 32-bit process on 64-bit Windows (IsWow64Process, found at run time:
// XP before SP2 lacks it).
bool UnderWow64() {
  static const bool wow64 = [] {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto is = reinterpret_cast<IsWow64>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process")));
    BOOL result = FALSE;
    return is && is(GetCurrentProcess(), &result) && result;
  }();
  return wow64;
}

std::string WindowsFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemWindowsDirectoryW(folder, MAX_PATH + 1);
  return n == 0 || n > MAX_PATH ? std::string() : Narrow(folder);
}

// A System32 icon of a 32-bit process on 64-bit Windows: through the
// "Sysnative" alias (Vista and later), or, where the alias does not exist
// (64-bit XP without its update), with the redirection of this thread off
// for the one call.
HICON LargeIconWithoutRedirection(const std::string& file, const std::string& alias, int index) {
  if (GetFileAttributesW(Widen(alias).c_str()) != INVALID_FILE_ATTRIBUTES) return LargeIconOf(Widen(alias), index);
  using Disable = BOOL(WINAPI*)(PVOID*);
  using Revert = BOOL(WINAPI*)(PVOID);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto disable =
      reinterpret_cast<Disable>(reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  const auto revert =
      reinterpret_cast<Revert>(reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
  PVOID old = nullptr;
  if (!disable || !revert || !disable(&old)) return nullptr;
  HICON icon = LargeIconOf(Widen(file), index);
  revert(old);
  return icon;
}

}  // namespace

DeviceIconRef CoreAudioDevices::ExtractLargeIcon(const std::string& file, int index) {
  HICON large = nullptr;
  if (UnderWow64()) {
    if (const std::optional<std::string> alias = SysnativeAlias(file, WindowsFolder())) {
      large = LargeIconWithoutRedirection(file, *alias, index);
    }
  }
  if (!large) large = LargeIconOf(Widen(file), index);
  if (!large) return {};
  return MakeDeviceIcon(large);
}

}  // namespace volmaru::devices
