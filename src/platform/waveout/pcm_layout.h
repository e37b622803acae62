#pragma once

#include <cstdint>

#include "riff/wave_format.h"

namespace platform::waveout {

// The sample layout of a PCM format that a device accepted.
struct PcmLayout {
  uint16_t channels = 0;
  uint32_t rate = 0;
  uint16_t bits = 0;       // bits a sample occupies: 8, 16, 24 or 32
  uint16_t validBits = 0;  // of those, the bits that carry the sample (the upper ones)
  uint16_t blockAlign = 0;
  uint32_t channelMask = 0;  // speakers of the extensible description; 0 when not given
  bool extensible = false;
};

inline constexpr uint16_t kMaxChannels = 8;
inline constexpr uint32_t kMaxRate = 768000;

// Reads `format` (followed by its extensible tail when it has one); false unless it is linear
// PCM of 8, 16, 24 or 32 bits, 1 to kMaxChannels channels and 1 to kMaxRate samples a second,
// with block and byte rate fields that agree.
bool ReadPcmLayout(const riff::WaveFormat* format, PcmLayout* layout);

}  // namespace platform::waveout
