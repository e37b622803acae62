#include "platform/ks/event_group.h"

#include <algorithm>
#include <chrono>

namespace platform::ks {

void EventGroup::Set(uint32_t index) {
  // Notified under the lock: a waiter woken by it may destroy the group as soon as it returns.
  std::lock_guard<std::mutex> lock(mutex_);
  set_.at(index) = true;
  changed_.notify_all();
}

void EventGroup::Reset(uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  set_.at(index) = false;
}

bool EventGroup::IsSet(uint32_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  return set_.at(index);
}

int32_t EventGroup::WaitAny(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto first = set_.end();
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    first = std::find(set_.begin(), set_.end(), true);
    return first != set_.end();
  });
  return first == set_.end() ? -1 : static_cast<int32_t>(first - set_.begin());
}

}  // namespace platform::ks
