#include "playback/playback_clock.h"

#include "platform/system/system.h"

namespace playback {

void PlaybackClock::Start(int32_t baseMs) {
  const int64_t now = platform::system::PerformanceCounter();
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
  const int64_t now = platform::system::PerformanceCounter();
  std::lock_guard<std::mutex> guard(mutex_);
  if (!running_) {
    return 0;
  }
  const int64_t elapsed = (now - origin_) * 1000 / platform::system::PerformanceFrequency();
  return static_cast<uint32_t>(elapsed + base_);
}

}  // namespace playback
