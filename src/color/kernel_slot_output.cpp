#include "color/kernel_slot_output.h"

#include <emmintrin.h>

#include <cstring>

namespace color {
namespace {

inline uint32_t Pixel(const ChannelTableSet& channels, uint64_t lanes) {
  const uint32_t b = channels[2][lanes & 0xFFFF];
  const uint32_t g = channels[1][(lanes >> 16) & 0xFFFF];
  const uint32_t r = channels[0][(lanes >> 32) & 0xFFFF];
  return b | g << 8 | r * 0x01010000u;
}

inline void Store(uint8_t* out, uint32_t pixel) { std::memcpy(out, &pixel, sizeof pixel); }

}  // namespace

void WriteSlotRow(const int32_t* slots, int width, const ChannelTableSet& channels, uint8_t* out) {
  int x = 0;
  for (; x + 2 <= width; x += 2, slots += 8, out += 8) {
    // packs saturates every sum to signed 16 bits; the lanes' raw 16 bits are the indices.
    const __m128i packed = _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(slots)),
                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(slots + 4)));
    Store(out, Pixel(channels, static_cast<uint64_t>(_mm_cvtsi128_si64(packed))));
    Store(out + 4,
          Pixel(channels, static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(packed, packed)))));
  }
  if (x < width) {
    const __m128i packed =
        _mm_packs_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(slots)), _mm_setzero_si128());
    Store(out, Pixel(channels, static_cast<uint64_t>(_mm_cvtsi128_si64(packed))));
  }
}

}  // namespace color
