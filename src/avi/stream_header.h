#pragma once

#include <cstdint>

namespace avi {

// The 56-byte stream header record of a `strh` chunk.
struct StreamHeader {
  uint32_t fccType;
  uint32_t fccHandler;
  uint32_t flags;
  uint16_t priority;
  uint16_t language;
  uint32_t initialFrames;
  uint32_t scale;
  uint32_t rate;
  uint32_t start;
  uint32_t length;
  uint32_t suggestedBufferSize;
  uint32_t quality;
  uint32_t sampleSize;
  int16_t frameLeft;
  int16_t frameTop;
  int16_t frameRight;
  int16_t frameBottom;
};
static_assert(sizeof(StreamHeader) == 56);

}  // namespace avi
