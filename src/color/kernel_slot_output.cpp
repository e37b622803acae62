#include "color/kernel_slot_output.h"

#include <emmintrin.h>

#include <cstring>

namespace color {
namespace {

inline void Store(uint8_t* out, uint32_t pixel) { std::memcpy(out, &pixel, sizeof pixel); }

// One pixel from its saturated lanes: blue, green, red.
inline uint32_t Pixel(const ChannelTableSet& channels, const uint16_t* lanes) {
  const uint32_t b = channels[2][lanes[0]];
  const uint32_t g = channels[1][lanes[1]];
  const uint32_t r = channels[0][lanes[2]];
  return b | g << 8 | r * 0x01010000u;
}

template <int kFractionBits>
inline __m128i Load(const int32_t* p) {
  return _mm_srai_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), kFractionBits);
}

}  // namespace

template <int kFractionBits>
void WriteSlotRow(const int32_t* slots, int width, const ChannelTableSet& channels, uint8_t* out) {
  // packs saturates every sum to signed 16 bits; the lanes' raw 16 bits are the indices. They
  // pass through memory because loading a 16-bit lane costs less than shifting it out.
  alignas(16) uint16_t lanes[16];
  int x = 0;
  for (; x + 4 <= width; x += 4, slots += 16, out += 16) {
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_packs_epi32(Load<kFractionBits>(slots), Load<kFractionBits>(slots + 4)));
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 8),
                    _mm_packs_epi32(Load<kFractionBits>(slots + 8), Load<kFractionBits>(slots + 12)));
    Store(out, Pixel(channels, lanes));
    Store(out + 4, Pixel(channels, lanes + 4));
    Store(out + 8, Pixel(channels, lanes + 8));
    Store(out + 12, Pixel(channels, lanes + 12));
  }
  for (; x + 2 <= width; x += 2, slots += 8, out += 8) {
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_packs_epi32(Load<kFractionBits>(slots), Load<kFractionBits>(slots + 4)));
    Store(out, Pixel(channels, lanes));
    Store(out + 4, Pixel(channels, lanes + 4));
  }
  if (x < width) {
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_packs_epi32(Load<kFractionBits>(slots), _mm_setzero_si128()));
    Store(out, Pixel(channels, lanes));
  }
}

template void WriteSlotRow<0>(const int32_t*, int, const ChannelTableSet&, uint8_t*);
template void WriteSlotRow<2>(const int32_t*, int, const ChannelTableSet&, uint8_t*);

}  // namespace color
