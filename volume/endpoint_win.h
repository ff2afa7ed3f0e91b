// The Core Audio volume interface of the default playback endpoint.
#pragma once

#include <windows.h>
#include <endpointvolume.h>

#include <functional>

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
  // `deviceGone` runs when a call finds the device invalidated (unplugged,
  // disabled): the volume control must be bound anew.
  EndpointVolumePort(ComPtr<IAudioEndpointVolume>& held, std::function<void()> deviceGone = nullptr)
      : v_(held), deviceGone_(std::move(deviceGone)) {}
  bool GetMasterVolumeLevelScalar(float& scalar) override;
  bool SetMasterVolumeLevelScalar(float scalar) override;
  bool GetMute(int32_t& mute) override;
  bool SetMute(int32_t mute) override;

 private:
  bool Check(HRESULT hr);
  ComPtr<IAudioEndpointVolume>& v_;
  std::function<void()> deviceGone_;
};

}  // namespace volmaru::volume
