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

bool EndpointVolumePort::GetMasterVolumeLevelScalar(float& scalar) {
  return v_ && SUCCEEDED(v_->GetMasterVolumeLevelScalar(&scalar));
}

bool EndpointVolumePort::SetMasterVolumeLevelScalar(float scalar) {
  return v_ && SUCCEEDED(v_->SetMasterVolumeLevelScalar(scalar, &GUID_NULL));
}

bool EndpointVolumePort::GetMute(int32_t& mute) {
  BOOL m = FALSE;
  if (!v_ || FAILED(v_->GetMute(&m))) return false;
  mute = m;
  return true;
}

bool EndpointVolumePort::SetMute(int32_t mute) { return v_ && SUCCEEDED(v_->SetMute(mute, &GUID_NULL)); }

}  // namespace volmaru::volume
