// The system's notices about playback devices (IMMNotificationClient): a
// new default render device for the console role, and a device whose state
// changed or that was removed. They arrive on a thread of the system's
// audio service; each one only posts `message` to the main window, which
// looks at the devices itself (devices/device_switch.h: the follow).
// Windows Vista and later; registered only on the endpoint path.
#pragma once

#include <windows.h>

#include "common/handle_win.h"

struct IMMDeviceEnumerator;

namespace volmaru::devices {

class EndpointNotificationClient;

class EndpointNotifications {
 public:
  EndpointNotifications();
  ~EndpointNotifications();
  EndpointNotifications(const EndpointNotifications&) = delete;
  EndpointNotifications& operator=(const EndpointNotifications&) = delete;

  // Starts the notices to `window` as `message`; false when the system's
  // device enumerator cannot be had (nothing is registered then).
  bool Register(HWND window, UINT message);
  // Stops them; after this no notice is posted any more. Safe to call
  // twice, and called by the destructor.
  void Unregister();
  bool registered() const { return static_cast<bool>(client_); }

 private:
  ComPtr<IMMDeviceEnumerator> enumerator_;
  ComPtr<EndpointNotificationClient> client_;
};

}  // namespace volmaru::devices
