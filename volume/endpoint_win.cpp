#include "volume/endpoint_win.h"

#include <initguid.h>
#include <mmdeviceapi.h>

namespace volmaru::volume {

ComPtr<IAudioEndpointVolume> AcquireEndpointVolume() {
  ComPtr<IMMDeviceEnumerator> enumerator;
  if (FAILED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                              enumerator.put_void()))) {
    return {};
  }
  ComPtr<IMMDevice> device;
  if (FAILED(enumerator->GetDefaultAudioEndpoint(eRender, eConsole, device.put()))) return {};
  ComPtr<IAudioEndpointVolume> volume;
  if (FAILED(device->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, volume.put_void()))) return {};
  return volume;
}

// AUDCLNT_E_DEVICE_INVALIDATED: the device behind the interface went away.
constexpr HRESULT kDeviceInvalidated = static_cast<HRESULT>(0x88890004);

bool EndpointVolumePort::Check(HRESULT hr) {
  if (hr == kDeviceInvalidated && deviceGone_) deviceGone_();
  return SUCCEEDED(hr);
}

bool EndpointVolumePort::GetMasterVolumeLevelScalar(float& scalar) {
  return v_ && Check(v_->GetMasterVolumeLevelScalar(&scalar));
}

bool EndpointVolumePort::SetMasterVolumeLevelScalar(float scalar) {
  return v_ && Check(v_->SetMasterVolumeLevelScalar(scalar, &GUID_NULL));
}

bool EndpointVolumePort::GetMute(int32_t& mute) {
  BOOL m = FALSE;
  if (!v_ || !Check(v_->GetMute(&m))) return false;
  mute = m;
  return true;
}

bool EndpointVolumePort::SetMute(int32_t mute) { return v_ && Check(v_->SetMute(mute, &GUID_NULL)); }

}  // namespace volmaru::volume
