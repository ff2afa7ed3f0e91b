// The Core Audio volume interface of the default playback endpoint.
#pragma once

#include <windows.h>
#include <endpointvolume.h>

#include "common/handle_win.h"
#include "volume/volume_ops.h"

namespace volmaru::volume {

// The endpoint volume of the default render endpoint (console role), or an
// empty pointer when any step fails.
ComPtr<IAudioEndpointVolume> AcquireEndpointVolume();

// The volume operations' view of the held interface: a negative HRESULT is
// a failure, and so is every call while none is held. Both setters pass
// GUID_NULL as the event context.
class EndpointVolumePort final : public EndpointPort {
 public:
  explicit EndpointVolumePort(ComPtr<IAudioEndpointVolume>& held) : v_(held) {}
  bool GetMasterVolumeLevelScalar(float& scalar) override;
  bool SetMasterVolumeLevelScalar(float scalar) override;
  bool GetMute(int32_t& mute) override;
  bool SetMute(int32_t mute) override;

 private:
  ComPtr<IAudioEndpointVolume>& v_;
};

}  // namespace volmaru::volume
