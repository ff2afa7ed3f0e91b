// The mixer port over winmm's ANSI mixer functions, with the hidden
// notification window of mixer_notify_win.h as the callback window.
//
//   volume::TMixer Mixer1{volume::SystemMixerPort()};
#pragma once

#include "volume/mixer_port.h"

namespace volmaru::volume {

// One stateless instance for the whole process.
MixerPort& SystemMixerPort();

}  // namespace volmaru::volume
