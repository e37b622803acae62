#include "common/cpu_features.h"

#include <gtest/gtest.h>

namespace common {
namespace {

TEST(CpuFeaturesTest, AMaskLowersTheFlagsAndAWiderOneRestoresOnlyWhatTheProcessorHas) {
  const uint32_t all = CpuFlags();
  EXPECT_TRUE(all & kCpuSse2);  // part of x86-64
  EXPECT_EQ(all & ~(kCpuSse2 | kCpuAvx2), 0u);
  SetCpuMaskForTesting(kCpuSse2);
  EXPECT_EQ(CpuFlags(), kCpuSse2);
  SetCpuMaskForTesting(0);
  EXPECT_EQ(CpuFlags(), 0u);
  SetCpuMaskForTesting(~0u);
  EXPECT_EQ(CpuFlags(), all);
}

int builds = 0;

uint32_t BuildFlags() {
  ++builds;
  return CpuFlags();
}

TEST(CpuFeaturesTest, ADispatchTableIsBuiltOnceAndAgainOnlyByInit) {
  using Table = DispatchTable<uint32_t, BuildFlags>;
  const uint32_t all = Table::Get();
  Table::Get();
  EXPECT_EQ(builds, 1);
  SetCpuMaskForTesting(0);
  EXPECT_EQ(Table::Get(), all);
  Table::Init();
  EXPECT_EQ(Table::Get(), 0u);
  EXPECT_EQ(builds, 2);
  SetCpuMaskForTesting(~0u);
  Table::Init();
  EXPECT_EQ(Table::Get(), all);
}

}  // namespace
}  // namespace common
