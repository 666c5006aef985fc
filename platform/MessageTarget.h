// Where a device posts its notifications: the window, or a plain queue.
#pragma once

#include <cstdint>

class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  // Thread-safe; returns at once. The message is handled later, on the
  // target's own thread, in the order posted.
  virtual void PostMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) = 0;
};
