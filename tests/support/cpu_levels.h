#pragma once

#include <cstdint>
#include <functional>

namespace testsupport {

// Lowers the processor's flags to `mask` and re-runs `init`, so that the dispatch table it fills
// holds that level's variants; restores both when it goes.
class ScopedCpuMask {
 public:
  ScopedCpuMask(uint32_t mask, void (*init)());
  ScopedCpuMask(const ScopedCpuMask&) = delete;
  ScopedCpuMask& operator=(const ScopedCpuMask&) = delete;
  ~ScopedCpuMask();

 private:
  const uint32_t previous_;
  void (*const init_)();
};

// Runs `body` once for each vector level this processor has (SSE2, then AVX2) under a
// ScopedCpuMask, with the level's name in any failure it reports.
void ForEachCpuLevel(void (*init)(), const std::function<void()>& body);

}  // namespace testsupport
