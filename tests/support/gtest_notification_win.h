// GoogleTest's own Notification is made of std::mutex and
// std::condition_variable, which the win32 thread model's C++ library (the
// one the programs are built with, so that they start on Windows XP) does
// not have. This one is an event of the platform; GoogleTest takes it when
// GTEST_HAS_NOTIFICATION_ is set (the Windows build forces this header in).
#pragma once

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() {
    if (event_) CloseHandle(event_);
  }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
