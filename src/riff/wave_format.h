#pragma once

#include <cstdint>

namespace riff {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;

// The 18-byte audio format of a `strf` body, followed by cbSize extra bytes. Packed to 2 as
// stored, so that the extra bytes start right behind cbSize.
#pragma pack(push, 2)
struct WaveFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSec;
  uint32_t avgBytesPerSec;
  uint16_t blockAlign;
  uint16_t bitsPerSample;
  uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18);

}  // namespace riff
