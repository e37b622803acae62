#include <immintrin.h>

#include "color/lanczos_chroma_passes.h"

namespace color {
namespace {

using chroma_pass::HighPart;
using chroma_pass::LowPart;
using chroma_pass::Pair;

struct PairedWeights {
  __m256i low[3];
  __m256i high[3];
};

PairedWeights PairWeights(const int32_t* w) {
  PairedWeights p;
  for (int k = 0; k < 3; ++k) {
    p.low[k] = _mm256_set1_epi32(Pair(LowPart(w[2 * k]), LowPart(w[2 * k + 1])));
    p.high[k] = _mm256_set1_epi32(Pair(HighPart(w[2 * k]), HighPart(w[2 * k + 1])));
  }
  return p;
}

inline __m256i Filter(const __m256i pairs[3], const PairedWeights& w) {
  __m256i low = _mm256_madd_epi16(pairs[0], w.low[0]);
  __m256i high = _mm256_madd_epi16(pairs[0], w.high[0]);
  for (int k = 1; k < 3; ++k) {
    low = _mm256_add_epi32(low, _mm256_madd_epi16(pairs[k], w.low[k]));
    high = _mm256_add_epi32(high, _mm256_madd_epi16(pairs[k], w.high[k]));
  }
  return _mm256_add_epi32(low, _mm256_slli_epi32(high, 15));
}

// Unpack and pack both work within 128-bit lanes, so packing the sums of the low and high
// unpacked halves returns the samples to their order.
template <int kShift>
inline __m256i Narrow(__m256i lo, __m256i hi) {
  return _mm256_packs_epi32(_mm256_srai_epi32(lo, kShift), _mm256_srai_epi32(hi, kShift));
}

inline __m256i OffsetBinary(__m256i lo, __m256i hi) {
  return _mm256_xor_si256(Narrow<15>(lo, hi), _mm256_set1_epi16(-32768));
}

inline __m256i Load(const int16_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }

}  // namespace

void VerticalChromaPassAvx2(const int16_t* const rows[ChromaTaps::kTaps], const int32_t* weights, int count,
                            int16_t* out) {
  const PairedWeights w = PairWeights(weights);
  int x = 0;
  for (; x + 16 <= count; x += 16) {
    __m256i lo[3];
    __m256i hi[3];
    for (int k = 0; k < 3; ++k) {
      const __m256i a = Load(rows[2 * k] + x);
      const __m256i b = Load(rows[2 * k + 1] + x);
      lo[k] = _mm256_unpacklo_epi16(a, b);
      hi[k] = _mm256_unpackhi_epi16(a, b);
    }
    const __m256i result = Narrow<16>(Filter(lo, w), Filter(hi, w));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), result);
  }
  chroma_pass::VerticalSamples(rows, weights, x, count, out);
}

void HorizontalChromaPassAvx2(const int16_t* row, const ChromaTaps& even, const ChromaTaps& odd, int count,
                              uint16_t* out) {
  const PairedWeights we = PairWeights(even.weights.data());
  const PairedWeights wo = PairWeights(odd.weights.data());
  int k = 0;
  for (; k + 16 <= count; k += 16) {
    __m256i s[7];
    for (int m = 0; m < 7; ++m) {
      s[m] = Load(row + k - 3 + m);
    }
    __m256i evenLo[3], evenHi[3], oddLo[3], oddHi[3];
    for (int p = 0; p < 3; ++p) {
      evenLo[p] = _mm256_unpacklo_epi16(s[2 * p], s[2 * p + 1]);
      evenHi[p] = _mm256_unpackhi_epi16(s[2 * p], s[2 * p + 1]);
      oddLo[p] = _mm256_unpacklo_epi16(s[2 * p + 1], s[2 * p + 2]);
      oddHi[p] = _mm256_unpackhi_epi16(s[2 * p + 1], s[2 * p + 2]);
    }
    const __m256i e = OffsetBinary(Filter(evenLo, we), Filter(evenHi, we));
    const __m256i o = OffsetBinary(Filter(oddLo, wo), Filter(oddHi, wo));
    // Interleaving works per 128-bit lane: outputs 2k … 2k + 7 and 2k + 16 … 2k + 23 in the
    // low interleave, the eights between in the high one.
    const __m256i lo = _mm256_unpacklo_epi16(e, o);
    const __m256i hi = _mm256_unpackhi_epi16(e, o);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * k), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2 * k + 16),
                        _mm256_permute2x128_si256(lo, hi, 0x31));
  }
  chroma_pass::HorizontalSamples(row, even, odd, k, count, out);
}

}  // namespace color
