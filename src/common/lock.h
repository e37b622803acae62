#pragma once

#include <mutex>

namespace common {

// A critical section. Enter/Leave are the player's names; lock/unlock let std::lock_guard
// and std::scoped_lock hold it.
class Lock {
 public:
  void Enter() { mutex_.lock(); }
  void Leave() { mutex_.unlock(); }
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

}  // namespace common
