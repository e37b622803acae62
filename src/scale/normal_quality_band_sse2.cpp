#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "scale/normal_quality_band.h"
#include "scale/normal_quality_band_rows.h"

namespace scale {
namespace {

// Pixels summed per pass before their output bytes are looked up: the lane values go through
// a small buffer, from which each index is one plain 16-bit load.
constexpr int kChunk = 128;

struct Sse2Rows {
  template <bool kBetween>
  static void Row(const InputTable& in, const OutputTables& out, const uint8_t* y, const uint64_t* above,
                  const uint64_t* below, int width, uint8_t* destination) {
    alignas(16) uint16_t sums[kChunk * kLanes];
    for (int x0 = 0; x0 < width; x0 += kChunk) {
      const int n = std::min(kChunk, width - x0);
      for (int x = 0; x < n; x += 2) {
        _mm_store_si128(reinterpret_cast<__m128i*>(sums + kLanes * x),
                        SumPair<kBetween>(in, y, above, below, x0 + x));
      }
      uint8_t* pixel = destination + 4 * x0;
      for (int x = 0; x < n; ++x) {
        const uint32_t bgr = LookUp(out, sums + kLanes * x);
        std::memcpy(pixel + 4 * x, &bgr, sizeof(bgr));
      }
    }
  }
};

}  // namespace

void ConvertBandSse2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows) {
  ConvertBandWith<Sse2Rows>(band, in, out, rows);
}

}  // namespace scale
