#pragma once

#include <cstdint>

namespace audio {

// Widens `samples` little-endian PCM samples of `bits` (8, 16, 24 or 32) to 64-bit samples:
// the sample in the top bits, every lower group of bits repeating it in offset binary.
void WidenPcm(const uint8_t* source, uint32_t samples, int bits, uint8_t* destination);

}  // namespace audio
