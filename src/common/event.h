#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace common {

// Auto-reset event, initially unsignalled: one Wait consumes one Set.
class Event {
 public:
  Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  // Waits until signalled, in 10-second slices so that a lost wake-up never hangs for ever
  // without the caller's state being looked at again by a debugger.
  void Wait();
  // Returns true when signalled within timeoutMs, false on time-out.
  bool Wait(uint32_t timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

}  // namespace common
