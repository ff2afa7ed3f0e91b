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

}  // namespace volmaru::volume
