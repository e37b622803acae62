#pragma once

#include <cstdint>

namespace playback {

// The video stream's timing: frames per second = rate / scale; field pictures come two a frame.
struct FrameTiming {
  uint32_t rate = 0;
  uint32_t scale = 1;
  bool fieldPictures = false;

  bool Valid() const { return rate != 0 && scale != 0; }
};

// The picture due at playback time `ms`.
int32_t FrameDue(int32_t ms, const FrameTiming& timing);
// A picture's time stamp, ms.
int32_t FrameStamp(int32_t frame, const FrameTiming& timing);

// Which picture to decode next: the one due, except that while the decoder is at or ahead of it
// the one after the last decoded, unless the playback time went back by three pictures or more.
int32_t NextFrameToDecode(int32_t due, int32_t lastDecoded, int32_t ms, int32_t previousMs);

}  // namespace playback
