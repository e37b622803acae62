#include "audio/pcm_widening.h"

#include <cstring>

namespace audio {

void WidenPcm(const uint8_t* source, uint32_t samples, int bits, uint8_t* destination) {
  switch (bits) {
    case 8:
      for (uint32_t i = 0; i < samples; ++i, destination += 8) {
        uint8_t b = source[i];
        std::memset(destination, b, 7);
        destination[7] = static_cast<uint8_t>(b - 128);
      }
      break;
    case 16:
      for (uint32_t i = 0; i < samples; ++i, source += 2, destination += 8) {
        uint16_t s = static_cast<uint16_t>(source[0] | source[1] << 8);
        uint64_t offset = s ^ 0x8000u;
        uint64_t wide = offset | offset << 16 | offset << 32 | static_cast<uint64_t>(s) << 48;
        std::memcpy(destination, &wide, 8);
      }
      break;
    case 24:
      for (uint32_t i = 0; i < samples; ++i, source += 3, destination += 8) {
        uint8_t s0 = source[0], s1 = source[1], s2 = source[2];
        uint8_t flipped = static_cast<uint8_t>(s2 ^ 0x80);
        const uint8_t wide[8] = {s1, flipped, s0, s1, flipped, s0, s1, s2};
        std::memcpy(destination, wide, 8);
      }
      break;
    case 32:
      for (uint32_t i = 0; i < samples; ++i, source += 4, destination += 8) {
        uint32_t s;
        std::memcpy(&s, source, 4);
        uint64_t wide = static_cast<uint64_t>(s) << 32 | (s ^ 0x80000000u);
        std::memcpy(destination, &wide, 8);
      }
      break;
    default:
      break;
  }
}

}  // namespace audio
