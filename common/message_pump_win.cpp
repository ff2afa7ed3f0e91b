#include "common/message_pump_win.h"

#include <mmsystem.h>

#include "common/message_wait.h"

namespace volmaru {
namespace {
MessageFilter& Filter() {
  static MessageFilter filter;
  return filter;
}
}  // namespace

void SetMessageFilter(MessageFilter filter) { Filter() = std::move(filter); }

void DispatchFiltered(MSG& msg) {
  if (const MessageFilter& filter = Filter(); filter && filter(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool ProcessPendingMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    DispatchFiltered(msg);
  }
  return true;
}

bool PumpMessagesFor(uint32_t ms) {
  struct Port {
    uint32_t Now() { return timeGetTime(); }
    bool ProcessPending() { return ProcessPendingMessages(); }
    void WaitForMessages(uint32_t wait) { MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT); }
  } port;
  return WaitLettingMessagesRun(port, ms);
}

}  // namespace volmaru
