#include "audio/pcm_narrowing.h"

#include "audio/wide_sample.h"

namespace audio {

void NarrowToTop16(const uint8_t* wide, uint32_t samples, uint8_t* destination) {
  for (uint32_t i = 0; i < samples; ++i) {
    destination[0] = wide[kWideSampleBytes - 2];
    destination[1] = wide[kWideSampleBytes - 1];
    wide += kWideSampleBytes;
    destination += 2;
  }
}

}  // namespace audio
