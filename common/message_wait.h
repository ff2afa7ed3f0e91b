// Waiting while window messages run, as a rule over a small port so that
// it is tested with a clock of the test's own: the wait ends at the first
// tick that exceeds the start by the time asked for (a wait of 1000 ms
// lasts until the millisecond tick has passed start + 1000), or when the
// program is asked to end.
#pragma once

#include <cstdint>

namespace volmaru {

// Port: uint32_t Now(); bool ProcessPending() (false once the program is
// to end); void WaitForMessages(uint32_t ms) (returns when a message
// arrives or the time is up).
template <typename Port>
bool WaitLettingMessagesRun(Port& port, uint32_t ms) {
  const uint32_t start = port.Now();
  for (;;) {
    if (!port.ProcessPending()) return false;
    // Unsigned differences: the tick's wrap after 49.7 days is harmless.
    const uint32_t elapsed = port.Now() - start;
    if (elapsed > ms) return true;
    port.WaitForMessages(ms - elapsed + 1);
  }
}

}  // namespace volmaru
