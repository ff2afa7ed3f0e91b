#include "app/restarter.h"

namespace volmaru::app {

int RunRestarter(RestarterPort& port) {
  // Starting while the old instance still runs would only show its
  // "already running" message.
  if (port.WaitForProgramEnd(kRestartWaitMs) != RestarterPort::Wait::kEnded) {
    port.ShowMessage(kStillRunningText);
    return 1;
  }
  const std::string folder = port.OwnFolder();
  const intptr_t result = port.Start(folder + std::string(kProgramFile), folder);
  if (result <= 32) {
    port.ShowMessage(std::string(kStartFailedText) + "(" + std::to_string(result) + ")");
    return 2;
  }
  return 0;
}

}  // namespace volmaru::app
