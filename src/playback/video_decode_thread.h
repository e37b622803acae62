#pragma once

#include <cstdint>

#include "playback/engine_context.h"

namespace playback {

// Decodes, at the lowest priority, the picture that belongs to the playback time into a free
// frame slot (or the back buffer) and stamps it with its presentation time.
class VideoDecodeThread {
 public:
  // What one pass did.
  enum class Pass { kDecoded, kIdle, kEnded };

  explicit VideoDecodeThread(EngineContext& context) : c_(context) {}

  // The thread's body: passes until playback stops or both ends are reached.
  void Run();
  // One pass for playback time `ms`.
  Pass DecodeDue(int32_t ms);

 private:
  struct Decoded {
    int32_t result = video::kFailed;
    int32_t frame = 0;
  };
  // Frames from `frame` on until one decodes or the video ends.
  Decoded DecodeInto(int32_t frame, uint8_t* bits, int32_t pitch);
  Pass DecodeSingleBuffer(int32_t frame);
  Pass DecodeDirect(int32_t frame);
  Pass DecodeForWorker(int32_t frame);
  void HandToWorker(int slot);
  // Makes `frame` the last decoded, has `store` hand its stamp over under the ring's lock, and
  // renews the statistics line.
  template <typename Store>
  void Publish(int32_t frame, Store store);
  // The highest-index free slot that is not on its way to the screen, or -1. With the lock held.
  int FreeSlot() const;
  int TakeFreeSlot() const;
  void UpdateStatisticsLine(int32_t stamp);
  // Nothing decoded is left to show.
  bool RingDrained() const;

  EngineContext& c_;
  int32_t decodeMs_ = 0;
};

}  // namespace playback
