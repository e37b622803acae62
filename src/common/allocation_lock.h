#pragma once

#include <cstddef>
#include <memory>

#include "common/lock.h"

namespace common {

// The one process-wide lock around the shared heap helpers, YUV-type table rebuilds and OSD
// drawing. It is reference-counted: the first Acquire creates it, the last Release deletes it.
class AllocationLock {
 public:
  static void Acquire();
  static void Release();
  // The lock itself; valid between the first Acquire and the last Release.
  static Lock& Get();
};

// Buffers that cross threads are allocated and freed under the AllocationLock.
void* SharedAlloc(size_t size);
void SharedFree(void* p);

struct SharedFreeDeleter {
  void operator()(void* p) const { SharedFree(p); }
};
template <typename T>
using SharedBuffer = std::unique_ptr<T[], SharedFreeDeleter>;

template <typename T>
SharedBuffer<T> MakeSharedBuffer(size_t count) {
  return SharedBuffer<T>(static_cast<T*>(SharedAlloc(count * sizeof(T))));
}

}  // namespace common
