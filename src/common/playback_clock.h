#pragma once

#include <cstdint>
#include <mutex>

#include "common/tick_source.h"

namespace common {

// Milliseconds of playback over the performance counter. The audio renderer re-bases it to the
// device position while the playback threads read it.
class PlaybackClock {
 public:
  explicit PlaybackClock(const TickSource& ticks = SystemTicks()) : ticks_(ticks) {}

  // Starts counting from `baseMs`.
  void Start(int32_t baseMs);
  void Stop();
  // 0 while stopped.
  uint32_t Now() const;
  bool IsRunning() const;

 private:
  const TickSource& ticks_;
  // Start and Now run on different threads; origin and base must be read as one pair.
  mutable std::mutex mutex_;
  bool running_ = false;
  int64_t origin_ = 0;
  int32_t base_ = 0;
};

}  // namespace common
