#pragma once

#include <cstddef>
#include <cstdint>

namespace audio {

// The fields of an MPEG audio frame header (layers I to III, MPEG-1, 2 and 2.5) that say how
// long the frame is and how fast the stream runs.
struct MpegAudioHeader {
  // 1 for MPEG-1, 2 for MPEG-2, 25 for MPEG-2.5.
  int version;
  int layer;
  uint32_t bitRate;
  uint32_t sampleRate;
  // Samples a channel.
  uint32_t samples;
  // The whole frame, header and padding included.
  uint32_t frameBytes;
};

// Reads the four header bytes at `bytes`; false when they are no frame header or one with a free
// or invalid bit rate.
bool ParseMpegAudioHeader(const uint8_t* bytes, MpegAudioHeader* header);

// The byte rate of the MPEG audio frames at the start of `data`, found where two headers follow
// each other: the frames' bit rate when all of them share one, else their average. 0 when no
// frame is found.
uint32_t MpegByteRate(const uint8_t* data, size_t size);

}  // namespace audio
