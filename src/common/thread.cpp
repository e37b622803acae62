#include "common/thread.h"

#include <utility>

namespace common {

std::thread StartThread(ThreadPriority priority, std::function<void()> body) {
  return std::thread([priority, body = std::move(body)] {
    platform::system::SetCurrentThreadPriority(priority);
    body();
  });
}

int WorkerCount() { return platform::system::ProcessorCount(); }

}  // namespace common
