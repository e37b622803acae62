#include "platform/system/system.h"

#include <gtest/gtest.h>

#include "common/thread.h"

namespace platform::system {
namespace {

TEST(System, PerformanceCounterIsMonotonicNanoseconds) {
  EXPECT_EQ(PerformanceFrequency(), 1'000'000'000);
  const int64_t a = PerformanceCounter();
  const int64_t b = PerformanceCounter();
  EXPECT_LE(a, b);
}

TEST(System, ProcessorCountIsAtLeastOne) {
  EXPECT_GE(ProcessorCount(), 1);
  EXPECT_EQ(common::WorkerCount(), ProcessorCount());
}

TEST(System, ProcessTimesGrowWithWork) {
  const ProcessTimes before = GetProcessTimes();
  volatile double sink = 0;
  for (int i = 0; i < 20'000'000; ++i) {
    sink = sink + i * 0.5;
  }
  const ProcessTimes after = GetProcessTimes();
  EXPECT_GE(after.user + after.kernel, before.user + before.kernel);
  EXPECT_GT(after.user + after.kernel, 0);
}

TEST(System, PriorityClassesMapToNiceValuesAndBack) {
  EXPECT_EQ(NiceForPriorityClass(kIdlePriorityClass), 19);
  EXPECT_EQ(NiceForPriorityClass(kBelowNormalPriorityClass), 10);
  EXPECT_EQ(NiceForPriorityClass(kNormalPriorityClass), 0);
  EXPECT_EQ(NiceForPriorityClass(kAboveNormalPriorityClass), -5);
  EXPECT_EQ(NiceForPriorityClass(kHighPriorityClass), -10);
  EXPECT_EQ(NiceForPriorityClass(kRealtimePriorityClass), -20);
  EXPECT_EQ(NiceForPriorityClass(12345), 0);
  for (int32_t cls : {kIdlePriorityClass, kBelowNormalPriorityClass, kNormalPriorityClass,
                      kAboveNormalPriorityClass, kHighPriorityClass, kRealtimePriorityClass}) {
    EXPECT_EQ(PriorityClassForNice(NiceForPriorityClass(cls)), cls);
  }
  EXPECT_EQ(PriorityClassForNice(-2), kNormalPriorityClass);  // A raised thread, not a class.
  EXPECT_EQ(PriorityClassForNice(-12), kHighPriorityClass);
}

TEST(System, ThreadPriorityLowersOnlyTheCallingThread) {
  const int32_t before = GetProcessPriorityClass();
  std::thread t = common::StartThread(ThreadPriority::kLowest, [] {});
  t.join();
  EXPECT_EQ(GetProcessPriorityClass(), before);
}

}  // namespace
}  // namespace platform::system
