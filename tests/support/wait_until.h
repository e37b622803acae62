#pragma once

#include <chrono>
#include <thread>

namespace testsupport {

// Polls `done` until it holds; false when it still does not after a generous bound, so that
// a fault fails the test instead of hanging it.
template <typename Predicate>
bool WaitUntil(Predicate done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace testsupport
