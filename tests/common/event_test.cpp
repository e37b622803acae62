#include "common/event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/allocation_lock.h"

namespace common {
namespace {

TEST(Event, IsAutoResetAndStartsUnsignalled) {
  Event event;
  EXPECT_FALSE(event.Wait(0));
  event.Set();
  event.Set();  // Two sets before a wait still wake one waiter once.
  EXPECT_TRUE(event.Wait(0));
  EXPECT_FALSE(event.Wait(0));
}

TEST(Event, WakesAWaiterOnAnotherThread) {
  Event event;
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    event.Wait();
    woke = true;
  });
  event.Set();
  waiter.join();
  EXPECT_TRUE(woke);
}

TEST(AllocationLock, SharedBuffersAllocateAndFreeUnderTheLock) {
  AllocationLock::Acquire();
  AllocationLock::Acquire();
  AllocationLock::Release();  // Still one reference: the lock stays usable.
  {
    SharedBuffer<uint8_t> buffer = MakeSharedBuffer<uint8_t>(64);
    ASSERT_NE(buffer, nullptr);
    buffer[63] = 1;
  }
  AllocationLock::Release();
}

}  // namespace
}  // namespace common
