#include <immintrin.h>

#include <cstddef>
#include <cstring>

#include "scale/normal_quality_band.h"
#include "scale/normal_quality_band_rows.h"

namespace scale {
namespace {

// Eight pixels at a time, their output bytes fetched by gathers: one gather takes the blue and
// red bytes of four pixels, a third the green bytes of all eight. A gather reads four bytes at
// each index; the tables' padding keeps the last index inside them.
struct Avx2Rows {
  template <bool kBetween>
  static void Row(const InputTable& in, const OutputTables& out, const uint8_t* y, const uint64_t* above,
                  const uint64_t* below, int width, uint8_t* destination) {
    const int* base = reinterpret_cast<const int*>(out.r);
    const __m256i low16 = _mm256_set1_epi32(0xffff);
    // Lanes B, G pair up in even 32-bit words and R, fourth in odd ones.
    const __m256i blueRed = _mm256_setr_epi32(kBlueOffset, 0, kBlueOffset, 0, kBlueOffset, 0, kBlueOffset, 0);
    const __m256i green = _mm256_set1_epi32(kGreenOffset);
    const __m256i placeBlueRed =
        _mm256_setr_epi8(0, -1, 4, -1, 8, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
                         0, -1, 4, -1, 8, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i placeGreenLow =
        _mm256_setr_epi8(-1, 0, -1, -1, -1, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
                         -1, 0, -1, -1, -1, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m256i placeGreenHigh =
        _mm256_setr_epi8(-1, 4, -1, -1, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,  //
                         -1, 4, -1, -1, -1, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
      // Pixels 0 … 3 and 4 … 7, two per 128-bit half.
      const __m256i low = _mm256_setr_m128i(SumPair<kBetween>(in, y, above, below, x),
                                            SumPair<kBetween>(in, y, above, below, x + 2));
      const __m256i high = _mm256_setr_m128i(SumPair<kBetween>(in, y, above, below, x + 4),
                                             SumPair<kBetween>(in, y, above, below, x + 6));
      const __m256i brLow =
          _mm256_i32gather_epi32(base, _mm256_add_epi32(_mm256_and_si256(low, low16), blueRed), 1);
      const __m256i brHigh =
          _mm256_i32gather_epi32(base, _mm256_add_epi32(_mm256_and_si256(high, low16), blueRed), 1);
      // Green of the low pixels in the even words, of the high pixels in the odd ones.
      const __m256i greenIndex = _mm256_blend_epi32(_mm256_srli_epi32(low, 16),
                                                    _mm256_srli_epi32(_mm256_slli_epi64(high, 32), 16), 0xaa);
      const __m256i g = _mm256_i32gather_epi32(base, _mm256_add_epi32(greenIndex, green), 1);
      const __m256i pixelsLow =
          _mm256_or_si256(_mm256_shuffle_epi8(brLow, placeBlueRed), _mm256_shuffle_epi8(g, placeGreenLow));
      const __m256i pixelsHigh =
          _mm256_or_si256(_mm256_shuffle_epi8(brHigh, placeBlueRed), _mm256_shuffle_epi8(g, placeGreenHigh));
      // Each half holds two pixels of each group in its low 64 bits: restore the order.
      const __m256i pixels = _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(pixelsLow, pixelsHigh), 0xd8);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + 4 * x), pixels);
    }
    for (; x < width; x += 2) {
      alignas(16) uint16_t lanes[2 * kLanes];
      _mm_store_si128(reinterpret_cast<__m128i*>(lanes), SumPair<kBetween>(in, y, above, below, x));
      for (int p = 0; p < 2; ++p) {
        const uint32_t bgr = LookUp(out, lanes + kLanes * p);
        std::memcpy(destination + 4 * (x + p), &bgr, sizeof(bgr));
      }
    }
  }

  static constexpr int kGreenOffset = offsetof(OutputTables, g) - offsetof(OutputTables, r);
  static constexpr int kBlueOffset = offsetof(OutputTables, b) - offsetof(OutputTables, r);
};

}  // namespace

void ConvertBandAvx2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows) {
  ConvertBandWith<Avx2Rows>(band, in, out, rows);
}

}  // namespace scale
