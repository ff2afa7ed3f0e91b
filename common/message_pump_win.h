// Nested message processing: several handlers let pending window messages
// run in the middle of their work. A WM_QUIT seen here is posted again so the
// main loop still ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace volmaru {

// A look at every message before it is translated and dispatched, in the
// main loop and in every nested one (the settings window takes the keys it
// captures and its dialog keys there). It returns true for a message it
// handled, which then goes no further. It must not throw.
using MessageFilter = std::function<bool(MSG&)>;
void SetMessageFilter(MessageFilter filter);
// Translates and dispatches `msg` unless the filter takes it.
void DispatchFiltered(MSG& msg);

// Runs every pending message; false once WM_QUIT was seen.
bool ProcessPendingMessages();
// Lets messages run until the millisecond tick has passed the start by `ms`
// (common/message_wait.h); false once WM_QUIT was seen.
bool PumpMessagesFor(uint32_t ms);

}  // namespace volmaru
