#pragma once

#include <atomic>
#include <cstdint>

namespace common {

// A 32-bit value that one thread writes and others read without a lock. Readers only need to
// see the old or the new value, never a torn one, so relaxed ordering suffices.
class SharedInt {
 public:
  constexpr SharedInt(int32_t value = 0) : value_(value) {}
  SharedInt(const SharedInt&) = delete;
  SharedInt& operator=(const SharedInt&) = delete;

  operator int32_t() const { return value_.load(std::memory_order_relaxed); }
  SharedInt& operator=(int32_t value) {
    value_.store(value, std::memory_order_relaxed);
    return *this;
  }

 private:
  std::atomic<int32_t> value_;
};

}  // namespace common
