#pragma once

#include <atomic>
#include <cstdint>

#include "common/tick_source.h"

namespace common::testing {

// A performance counter that moves only when a test moves it, one tick per millisecond.
class ManualTicks final : public TickSource {
 public:
  int64_t Counter() const override { return now_.load(std::memory_order_relaxed); }
  int64_t Frequency() const override { return 1000; }
  void Advance(int64_t ms) { now_.fetch_add(ms, std::memory_order_relaxed); }

 private:
  std::atomic<int64_t> now_{0};
};

}  // namespace common::testing
