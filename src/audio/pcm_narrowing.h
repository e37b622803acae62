#pragma once

#include <cstdint>

namespace audio {

// Writes the top 16 bits of each of `samples` little-endian 64-bit samples.
void NarrowToTop16(const uint8_t* wide, uint32_t samples, uint8_t* destination);

}  // namespace audio
