#include "playback/frame_timing.h"

#include <cmath>
#include <cstdint>

namespace playback {

int32_t FrameDue(int32_t ms, const FrameTiming& timing) {
  if (!timing.Valid() || ms <= 0) return 0;
  const uint64_t perSecond = timing.fieldPictures ? 500 : 1000;
  const uint64_t frame = uint64_t(ms) * timing.rate / timing.scale / perSecond;
  return frame > uint64_t(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(frame);
}

int32_t FrameStamp(int32_t frame, const FrameTiming& timing) {
  if (!timing.Valid() || frame <= 0) return 0;
  // Rounded to the nearest millisecond; a double holds every product exactly enough.
  const double stamp =
      std::round(double(frame) * (timing.fieldPictures ? 500 : 1000) * timing.scale / timing.rate);
  return stamp > double(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(stamp);
}

int32_t NextFrameToDecode(int32_t due, int32_t lastDecoded, int32_t ms, int32_t previousMs) {
  if (due > lastDecoded) return due;
  const bool wentBack = ms < previousMs && int64_t{lastDecoded} - due >= 3;
  return wentBack ? due : lastDecoded + 1;
}

}  // namespace playback
