#include "common/event.h"

#include <chrono>

namespace common {

void Event::Set() {
  {
    std::lock_guard<std::mutex> guard(mutex_);
    set_ = true;
  }
  signalled_.notify_one();
}

void Event::Wait() {
  while (!Wait(10000)) {
  }
}

bool Event::Wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> guard(mutex_);
  if (!signalled_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return set_; })) {
    return false;
  }
  set_ = false;
  return true;
}

}  // namespace common
