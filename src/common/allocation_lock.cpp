#include "common/allocation_lock.h"

#include <cstdlib>
#include <mutex>

namespace common {
namespace {

// Guards the reference count and the creation of the lock itself.
std::mutex countMutex;
int references = 0;
std::unique_ptr<Lock> allocationLock;

}  // namespace

void AllocationLock::Acquire() {
  std::lock_guard<std::mutex> guard(countMutex);
  if (references++ == 0) {
    allocationLock = std::make_unique<Lock>();
  }
}

void AllocationLock::Release() {
  std::lock_guard<std::mutex> guard(countMutex);
  if (references > 0 && --references == 0) {
    allocationLock.reset();
  }
}

Lock& AllocationLock::Get() {
  std::lock_guard<std::mutex> guard(countMutex);
  return *allocationLock;
}

void* SharedAlloc(size_t size) {
  std::lock_guard<Lock> guard(AllocationLock::Get());
  return std::malloc(size == 0 ? 1 : size);
}

void SharedFree(void* p) {
  if (p == nullptr) {
    return;
  }
  std::lock_guard<Lock> guard(AllocationLock::Get());
  std::free(p);
}

}  // namespace common
