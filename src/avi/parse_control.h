#pragma once

#include <atomic>
#include <functional>

namespace avi {

// What the caller of a parse may follow and decide while it runs: only rebuilding packet tables
// from the data of a file without a usable index takes long enough to need either.
struct ParseControl {
  // Called on the parsing thread now and then while tables are rebuilt, with the fraction of
  // the file done (0 to 1).
  std::function<void(double fraction)> progress;
  // Set from any thread to give up: the parse then yields no Movie.
  const std::atomic<bool>* cancel = nullptr;

  bool Cancelled() const {
    // Only the flag itself is read; nothing else is published through it.
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
  }
};

}  // namespace avi
