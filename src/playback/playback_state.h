#pragma once

#include <atomic>
#include <cstdint>

namespace playback {

// End flags: both set ends playback.
inline constexpr int32_t kVideoEnded = 1;
inline constexpr int32_t kAudioEnded = 2;

// The state of playback that the control, decoding and user-interface threads share. Each field
// has a single writer except the end flags, which are changed by atomic read-modify-writes.
struct PlaybackState {
  // Set once audio is open and cleared when the control thread ends; Stop and Play poll it.
  // Release/acquire, so that the thread's teardown is complete when a poller sees 0.
  std::atomic<int32_t> playing{0};
  std::atomic<int32_t> endFlags{0};
  // The decode and control loops idle while a seek rewrites the ring and the clock; the seek's
  // writes are under the frame-slot lock, so the flag itself can be relaxed.
  std::atomic<int32_t> seeking{0};
  // Counts seeks, so that the decoding thread sees one that happened after the video ended.
  std::atomic<uint32_t> seeks{0};
  // The time the video must show now, ms, never negative: written by the control thread.
  std::atomic<int32_t> playbackTime{0};
  // The first audio stream's delay, ms.
  std::atomic<int32_t> audioDelay{0};
  std::atomic<int32_t> framesShown{0};
  std::atomic<bool> decodeThreadAlive{false};

  // Statistics of the last second, read by the statistics line.
  std::atomic<double> fps{0.0};
  std::atomic<double> userLoad{0.0};
  std::atomic<double> kernelLoad{0.0};
  std::atomic<int32_t> previousShown{0};
  std::atomic<uint32_t> lastStatisticsTime{0};
};

}  // namespace playback
