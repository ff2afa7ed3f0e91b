// The Core Audio volume interface of the default playback endpoint.
#pragma once

#include <windows.h>
#include <endpointvolume.h>

#include "common/handle_win.h"

namespace volmaru::volume {

// The endpoint volume of the default render endpoint (console role), or an
// empty pointer when any step fails.
ComPtr<IAudioEndpointVolume> AcquireEndpointVolume();

}  // namespace volmaru::volume
