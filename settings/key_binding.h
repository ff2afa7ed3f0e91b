#pragma once

#include <string>

namespace volmaru {

// A configurable key: its virtual-key code and the name shown to the user.
struct KeyBinding {
  int code = 0;
  std::string name;
  bool operator==(const KeyBinding&) const = default;
};

}  // namespace volmaru
