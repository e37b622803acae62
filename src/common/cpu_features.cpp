#include "common/cpu_features.h"

#include <atomic>

namespace common {
namespace {

uint32_t Detect() {
  // The query may run before the runtime's own constructors have filled in the model.
  __builtin_cpu_init();
  uint32_t flags = 0;
  if (__builtin_cpu_supports("sse2")) {
    flags |= kCpuSse2;
  }
  if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
    flags |= kCpuAvx2;
  }
  return flags;
}

// Relaxed: the mask carries no other data, and a test sets it before it re-runs the inits that
// read it, on the same thread.
std::atomic<uint32_t> mask{~0u};

}  // namespace

uint32_t CpuFlags() {
  static const uint32_t detected = Detect();
  return detected & mask.load(std::memory_order_relaxed);
}

void SetCpuMaskForTesting(uint32_t newMask) { mask.store(newMask, std::memory_order_relaxed); }

}  // namespace common
