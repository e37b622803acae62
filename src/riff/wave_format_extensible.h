#pragma once

#include <cstdint>

#include "riff/wave_format.h"

namespace riff {

inline constexpr uint16_t kWaveFormatExtensible = 0xFFFE;
// The bytes an extensible description carries behind cbSize.
inline constexpr uint16_t kExtensibleExtraBytes = 22;

struct Guid {
  uint32_t data1;
  uint16_t data2;
  uint16_t data3;
  uint8_t data4[8];
  friend bool operator==(const Guid&, const Guid&) = default;
};

// The sub-format of linear PCM.
inline constexpr Guid kSubtypePcm{
    0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// A wave format for more than two channels or wider samples than 16 bits: formatTag
// kWaveFormatExtensible, cbSize kExtensibleExtraBytes, the tail naming the valid bits, the
// speakers and the sample encoding.
#pragma pack(push, 2)
struct WaveFormatExtensible {
  WaveFormat format;
  uint16_t validBitsPerSample;
  uint32_t channelMask;
  Guid subFormat;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatExtensible) == sizeof(WaveFormat) + kExtensibleExtraBytes);

}  // namespace riff
