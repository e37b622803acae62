#pragma once

#include <atomic>
#include <cstdint>

#include "common/tick_source.h"

namespace testsupport {

// A performance counter that moves only when the test moves it: one tick a microsecond.
class ManualTicks final : public common::TickSource {
 public:
  int64_t Counter() const override { return ticks_.load(); }
  int64_t Frequency() const override { return 1000000; }

  void SetMs(int64_t ms) { ticks_.store(ms * 1000); }
  void AdvanceMs(int64_t ms) { ticks_.fetch_add(ms * 1000); }

 private:
  std::atomic<int64_t> ticks_{0};
};

}  // namespace testsupport
