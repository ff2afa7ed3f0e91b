// The device picture on Windows: the device's large icon in its owner,
// shared by every profile and list that shows it.
#pragma once

#include <windows.h>

#include <memory>

#include "common/handle_win.h"
#include "settings/device_profile.h"

namespace volmaru {

struct DeviceIconImage {
  explicit DeviceIconImage(UniqueIcon icon) : large(std::move(icon)) {}
  UniqueIcon large;
};

namespace devices {

// Takes the icon over; none for a null handle.
inline DeviceIconRef MakeDeviceIcon(HICON icon) {
  if (!icon) return {};
  return std::make_shared<const DeviceIconImage>(UniqueIcon(icon));
}

// The handle to draw with, or null; the picture stays owned by `icon`.
inline HICON IconHandle(const DeviceIconRef& icon) { return icon ? icon->large.get() : nullptr; }

}  // namespace devices
}  // namespace volmaru
