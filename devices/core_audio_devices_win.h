// The playback devices through Core Audio: the active render endpoints, their
// IDs, names and icon paths, the default endpoint, device icons from their
// files, and the system's switch of the default endpoint.
#pragma once

#include "devices/device_platform.h"

namespace volmaru::devices {

class CoreAudioDevices final : public DevicePlatform {
 public:
  std::unique_ptr<EndpointList> ListPlaybackEndpoints() override;
  std::unique_ptr<DefaultEndpointSetter> CreateDefaultEndpointSetter() override;
  std::string EnvironmentVariable(std::string_view name) override;
  DeviceIconRef ExtractLargeIcon(const std::string& file, int index) override;
};

}  // namespace volmaru::devices
