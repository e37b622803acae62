#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace platform::ks {

// Manual-reset events that a thread can wait on together: a set event stays set until it is
// reset, and a wait returns the lowest index that is set.
class EventGroup {
 public:
  EventGroup(uint32_t count, bool signalled) : set_(count, signalled) {}
  EventGroup(const EventGroup&) = delete;
  EventGroup& operator=(const EventGroup&) = delete;

  uint32_t Count() const { return static_cast<uint32_t>(set_.size()); }
  void Set(uint32_t index);
  void Reset(uint32_t index);
  bool IsSet(uint32_t index);
  // The lowest index that is set, waiting up to `timeoutMs` for one; -1 on time-out.
  int32_t WaitAny(uint32_t timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<bool> set_;
};

}  // namespace platform::ks
