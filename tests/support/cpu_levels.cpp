#include "support/cpu_levels.h"

#include <gtest/gtest.h>

#include "common/cpu_features.h"

namespace testsupport {

ScopedCpuMask::ScopedCpuMask(uint32_t mask, void (*init)()) : previous_(common::CpuFlags()), init_(init) {
  common::SetCpuMaskForTesting(mask);
  init_();
}

ScopedCpuMask::~ScopedCpuMask() {
  // The flags before are a mask that keeps exactly them.
  common::SetCpuMaskForTesting(previous_);
  init_();
}

void ForEachCpuLevel(void (*init)(), const std::function<void()>& body) {
  struct Level {
    const char* name;
    uint32_t mask;
  };
  constexpr Level kLevels[] = {{"sse2", common::kCpuSse2}, {"avx2", common::kCpuSse2 | common::kCpuAvx2}};
  for (const Level& level : kLevels) {
    if ((common::CpuFlags() & level.mask) != level.mask) {
      continue;
    }
    SCOPED_TRACE(level.name);
    const ScopedCpuMask scope(level.mask, init);
    body();
  }
}

}  // namespace testsupport
