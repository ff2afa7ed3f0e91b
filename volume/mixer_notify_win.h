// The hidden window through which the mixer's change notifications reach the
// mixer component: a message-only window whose handle goes to mixerOpen with
// CALLBACK_WINDOW. MM_MIXM_LINE_CHANGE and MM_MIXM_CONTROL_CHANGE are routed
// to the target on the window's thread; nothing thrown by the target leaves
// the window procedure.
#pragma once

#include <memory>

#include "volume/mixer_port.h"

namespace volmaru::volume {

// Null when the window cannot be created.
std::unique_ptr<MixerCallbackWindow> CreateMixerNotifyWindow(MixerNotifyTarget& target);

}  // namespace volmaru::volume
