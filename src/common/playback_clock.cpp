#include "common/playback_clock.h"

namespace common {

void PlaybackClock::Start(int32_t baseMs) {
  const int64_t now = ticks_.Counter();
  std::lock_guard<std::mutex> guard(mutex_);
  origin_ = now;
  base_ = baseMs;
  running_ = true;
}

void PlaybackClock::Stop() {
  std::lock_guard<std::mutex> guard(mutex_);
  running_ = false;
}

uint32_t PlaybackClock::Now() const {
  const int64_t now = ticks_.Counter();
  std::lock_guard<std::mutex> guard(mutex_);
  if (!running_) {
    return 0;
  }
  return static_cast<uint32_t>(ticks_.Milliseconds(origin_, now) + base_);
}

bool PlaybackClock::IsRunning() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return running_;
}

}  // namespace common
