// Nested message processing: several handlers let pending window messages
// run in the middle of their work. A WM_QUIT seen here is posted again so the
// main loop still ends.
#pragma once

#include <windows.h>

#include <cstdint>

namespace volmaru::app {

// Runs every pending message; false once WM_QUIT was seen.
bool ProcessPendingMessages();
// Lets messages run for `ms` milliseconds; false once WM_QUIT was seen.
bool PumpMessagesFor(uint32_t ms);

}  // namespace volmaru::app
