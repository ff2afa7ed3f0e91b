#include "common/handle_win.h"

namespace volmaru {

std::atomic<long>& LiveHandleCount(HandleKind kind) {
  static std::atomic<long> counts[static_cast<int>(HandleKind::kCount)];
  return counts[static_cast<int>(kind)];
}

}  // namespace volmaru
