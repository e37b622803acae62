#include "color/lanczos_chroma_passes.h"

#include <emmintrin.h>

namespace color {
namespace {

using chroma_pass::HighPart;
using chroma_pass::LowPart;
using chroma_pass::Pair;

// Six taps as three interleaved pairs, each split for pmaddwd.
struct PairedWeights {
  __m128i low[3];
  __m128i high[3];
};

PairedWeights PairWeights(const int32_t* w) {
  PairedWeights p;
  for (int k = 0; k < 3; ++k) {
    p.low[k] = _mm_set1_epi32(Pair(LowPart(w[2 * k]), LowPart(w[2 * k + 1])));
    p.high[k] = _mm_set1_epi32(Pair(HighPart(w[2 * k]), HighPart(w[2 * k + 1])));
  }
  return p;
}

// Σ input · weight over three interleaved input pairs (four 32-bit lanes): the low parts'
// products plus the high parts' shifted by 15, both wrapping to the exact sum.
inline __m128i Filter(const __m128i pairs[3], const PairedWeights& w) {
  __m128i low = _mm_madd_epi16(pairs[0], w.low[0]);
  __m128i high = _mm_madd_epi16(pairs[0], w.high[0]);
  for (int k = 1; k < 3; ++k) {
    low = _mm_add_epi32(low, _mm_madd_epi16(pairs[k], w.low[k]));
    high = _mm_add_epi32(high, _mm_madd_epi16(pairs[k], w.high[k]));
  }
  return _mm_add_epi32(low, _mm_slli_epi32(high, 15));
}

// Two sets of four sums to eight saturated signed 16-bit values, the sums shifted right by
// kShift.
template <int kShift>
inline __m128i Narrow(__m128i lo, __m128i hi) {
  return _mm_packs_epi32(_mm_srai_epi32(lo, kShift), _mm_srai_epi32(hi, kShift));
}

// The same as offset-binary values, at twice the inputs' scale.
inline __m128i OffsetBinary(__m128i lo, __m128i hi) {
  return _mm_xor_si128(Narrow<15>(lo, hi), _mm_set1_epi16(-32768));
}

inline __m128i Load(const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

}  // namespace

void VerticalChromaPassSse2(const int16_t* const rows[ChromaTaps::kTaps], const int32_t* weights, int count,
                            int16_t* out) {
  const PairedWeights w = PairWeights(weights);
  int x = 0;
  for (; x + 8 <= count; x += 8) {
    __m128i lo[3];
    __m128i hi[3];
    for (int k = 0; k < 3; ++k) {
      const __m128i a = Load(rows[2 * k] + x);
      const __m128i b = Load(rows[2 * k + 1] + x);
      lo[k] = _mm_unpacklo_epi16(a, b);
      hi[k] = _mm_unpackhi_epi16(a, b);
    }
    const __m128i result = Narrow<16>(Filter(lo, w), Filter(hi, w));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), result);
  }
  chroma_pass::VerticalSamples(rows, weights, x, count, out);
}

void HorizontalChromaPassSse2(const int16_t* row, const ChromaTaps& even, const ChromaTaps& odd, int count,
                              uint16_t* out) {
  const PairedWeights we = PairWeights(even.weights.data());
  const PairedWeights wo = PairWeights(odd.weights.data());
  int k = 0;
  for (; k + 8 <= count; k += 8) {
    __m128i s[7];
    for (int m = 0; m < 7; ++m) {
      s[m] = Load(row + k - 3 + m);
    }
    __m128i evenLo[3], evenHi[3], oddLo[3], oddHi[3];
    for (int p = 0; p < 3; ++p) {
      evenLo[p] = _mm_unpacklo_epi16(s[2 * p], s[2 * p + 1]);
      evenHi[p] = _mm_unpackhi_epi16(s[2 * p], s[2 * p + 1]);
      oddLo[p] = _mm_unpacklo_epi16(s[2 * p + 1], s[2 * p + 2]);
      oddHi[p] = _mm_unpackhi_epi16(s[2 * p + 1], s[2 * p + 2]);
    }
    const __m128i e = OffsetBinary(Filter(evenLo, we), Filter(evenHi, we));
    const __m128i o = OffsetBinary(Filter(oddLo, wo), Filter(oddHi, wo));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k), _mm_unpacklo_epi16(e, o));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * k + 8), _mm_unpackhi_epi16(e, o));
  }
  chroma_pass::HorizontalSamples(row, even, odd, k, count, out);
}

ChromaPasses SelectChromaPasses(bool avx2) {
  if (avx2) {
    return {VerticalChromaPassAvx2, HorizontalChromaPassAvx2};
  }
  return {VerticalChromaPassSse2, HorizontalChromaPassSse2};
}

const ChromaPasses& GetChromaPasses() {
  static const ChromaPasses passes = SelectChromaPasses(__builtin_cpu_supports("avx2"));
  return passes;
}

}  // namespace color
