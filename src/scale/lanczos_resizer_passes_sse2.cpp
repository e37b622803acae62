#include <emmintrin.h>

#include <cstddef>

#include "scale/lanczos_resizer_passes.h"
#include "scale/simd_lanes.h"

namespace Media {
namespace {

using namespace scale::simd;

// Bytes b to 16-bit (b × 257) >> 1: the byte in both halves of a lane, shifted right by one.
inline __m128i WidenLow(__m128i bytes) { return _mm_srli_epi16(_mm_unpacklo_epi8(bytes, bytes), 1); }
inline __m128i WidenHigh(__m128i bytes) { return _mm_srli_epi16(_mm_unpackhi_epi8(bytes, bytes), 1); }

inline __m128i Tap(__m128i acc, __m128i values, __m128i weights) {
  return _mm_add_epi16(acc, _mm_mulhi_epi16(values, weights));
}

void Vertical(const LanczosJob& job) {
  const int32_t taps = job.taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const int32_t* index = job.index + static_cast<ptrdiff_t>(r) * taps;
    const int16_t* weights = job.weights + static_cast<ptrdiff_t>(r) * taps * 4;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    int32_t x = 0;
    for (; x + 8 <= job.width; x += 8) {
      __m128i a0 = _mm_setzero_si128(), a1 = a0, a2 = a0, a3 = a0;
      for (int32_t j = 0; j < taps; ++j) {
        const uint8_t* s = job.src + index[j] + x * 4;
        const __m128i w = BroadcastU64(weights + j * 4);
        const __m128i p0 = LoadU128(s);
        const __m128i p1 = LoadU128(s + 16);
        a0 = Tap(a0, WidenLow(p0), w);
        a1 = Tap(a1, WidenHigh(p0), w);
        a2 = Tap(a2, WidenLow(p1), w);
        a3 = Tap(a3, WidenHigh(p1), w);
      }
      StoreU128(out + x * 8, a0);
      StoreU128(out + x * 8 + 16, a1);
      StoreU128(out + x * 8 + 32, a2);
      StoreU128(out + x * 8 + 48, a3);
    }
    for (; x + 2 <= job.width; x += 2) {
      __m128i a = _mm_setzero_si128();
      for (int32_t j = 0; j < taps; ++j) {
        a = Tap(a, WidenLow(LoadU64(job.src + index[j] + x * 4)), BroadcastU64(weights + j * 4));
      }
      StoreU128(out + x * 8, a);
    }
    if (x < job.width) {
      __m128i a = _mm_setzero_si128();
      for (int32_t j = 0; j < taps; ++j) {
        a = Tap(a, WidenLow(LoadU32(job.src + index[j] + x * 4)), LoadU64(weights + j * 4));
      }
      StoreU64(out + x * 8, a);
    }
  }
}

// The taps of one output pixel as two partial four-lane sums in the halves of the result.
// 16-bit sums wrap the same in any order, so the halves may collect any taps.
inline __m128i ContiguousSums(const uint8_t* s, const int16_t* weights, int32_t taps) {
  __m128i acc = _mm_setzero_si128();
  int32_t j = 0;
  for (; j + 2 <= taps; j += 2) {
    acc = Tap(acc, LoadU128(s + j * 8), LoadU128(weights + j * 4));
  }
  if (j < taps) {
    acc = Tap(acc, LoadU64(s + j * 8), LoadU64(weights + j * 4));
  }
  return acc;
}

inline __m128i ScatteredSums(const uint8_t* row, const int32_t* index, const int16_t* weights, int32_t taps) {
  __m128i acc = _mm_setzero_si128();
  for (int32_t j = 0; j < taps; ++j) {
    acc = Tap(acc, LoadU64(row + index[j]), LoadU64(weights + j * 4));
  }
  return acc;
}

template <bool kContiguous>
inline __m128i PixelSums(const uint8_t* row, const int32_t* index, const int16_t* weights, int32_t taps) {
  return kContiguous ? ContiguousSums(row + index[0], weights, taps)
                     : ScatteredSums(row, index, weights, taps);
}

// Sum >> 5 clamped to 0 … 255 (saturating pack of the signed lanes).
inline __m128i ToBytes(__m128i sums) {
  const __m128i v = _mm_srai_epi16(sums, 5);
  return _mm_packus_epi16(v, v);
}

// Output pixels [begin, end) of every row, two at a time.
template <bool kContiguous>
void HorizontalColumns(const LanczosJob& job, int32_t begin, int32_t end) {
  const int32_t taps = job.taps;
  const ptrdiff_t stride = taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* row = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    const int32_t* index = job.index + begin * stride;
    const int16_t* weights = job.weights + begin * stride * 4;
    int32_t x = begin;
    for (; x + 2 <= end; x += 2) {
      const __m128i a = PixelSums<kContiguous>(row, index, weights, taps);
      const __m128i b = PixelSums<kContiguous>(row, index + stride, weights + stride * 4, taps);
      const __m128i sums = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
      StoreU64(out + x * 4, ToBytes(sums));
      index += 2 * stride;
      weights += 2 * stride * 4;
    }
    if (x < end) {
      const __m128i a = PixelSums<kContiguous>(row, index, weights, taps);
      StoreU32(out + x * 4, ToBytes(_mm_add_epi16(a, _mm_unpackhi_epi64(a, a))));
    }
  }
}

void Horizontal(const LanczosJob& job) {
  int32_t begin = 0;
  int32_t end = 0;
  LanczosContiguousSpan(job, begin, end);
  HorizontalColumns<false>(job, 0, begin);
  HorizontalColumns<true>(job, begin, end);
  HorizontalColumns<false>(job, end, job.width);
}

// (b × 257) >> 2: the byte in both halves of a lane, shifted right by two.
void Widening(const LanczosJob& job) {
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* in = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    int32_t x = 0;
    for (; x + 4 <= job.width; x += 4) {
      const __m128i p = LoadU128(in + x * 4);
      StoreU128(out + x * 8, _mm_srli_epi16(_mm_unpacklo_epi8(p, p), 2));
      StoreU128(out + x * 8 + 16, _mm_srli_epi16(_mm_unpackhi_epi8(p, p), 2));
    }
    for (; x < job.width; ++x) {
      const __m128i p = LoadU32(in + x * 4);
      StoreU64(out + x * 8, _mm_srli_epi16(_mm_unpacklo_epi8(p, p), 2));
    }
  }
}

void Narrowing(const LanczosJob& job) {
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* in = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    int32_t x = 0;
    for (; x + 4 <= job.width; x += 4) {
      const __m128i a = _mm_srai_epi16(LoadU128(in + x * 8), 6);
      const __m128i b = _mm_srai_epi16(LoadU128(in + x * 8 + 16), 6);
      StoreU128(out + x * 4, _mm_packus_epi16(a, b));
    }
    for (; x < job.width; ++x) {
      const __m128i a = _mm_srai_epi16(LoadU64(in + x * 8), 6);
      StoreU32(out + x * 4, _mm_packus_epi16(a, a));
    }
  }
}

}  // namespace

const LanczosPasses& LanczosPassesSse2() {
  static const LanczosPasses passes{Vertical, Horizontal, Widening, Narrowing};
  return passes;
}

}  // namespace Media
