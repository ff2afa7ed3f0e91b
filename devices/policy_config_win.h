// The system's policy-configuration object, the one way to make an endpoint
// the default. Nothing else in the program knows its interface.
#pragma once

#include <memory>

#include "devices/device_platform.h"

namespace volmaru::devices {

// Null when the object cannot be created (it is not part of every system).
std::unique_ptr<DefaultEndpointSetter> CreatePolicyConfig();

}  // namespace volmaru::devices
