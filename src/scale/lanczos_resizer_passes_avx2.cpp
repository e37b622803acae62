#include <immintrin.h>

#include <cstddef>

#include "scale/lanczos_resizer_passes.h"
#include "scale/simd_lanes.h"

namespace Media {
namespace {

using namespace scale::simd;

inline __m256i LoadU256(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
inline void StoreU256(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

inline __m256i Tap(__m256i acc, __m256i values, __m256i weights) {
  return _mm256_add_epi16(acc, _mm256_mulhi_epi16(values, weights));
}
inline __m128i Tap(__m128i acc, __m128i values, __m128i weights) {
  return _mm_add_epi16(acc, _mm_mulhi_epi16(values, weights));
}

// The columns from x on, past the last whole block, as a job for the SSE2 pass.
LanczosJob Strip(const LanczosJob& job, int32_t x, int32_t dstPixelBytes, bool perPixelTaps) {
  LanczosJob strip = job;
  strip.width = job.width - x;
  strip.dst = job.dst + static_cast<ptrdiff_t>(x) * dstPixelBytes;
  if (perPixelTaps) {
    strip.index = job.index + static_cast<ptrdiff_t>(x) * job.taps;
    strip.weights = job.weights + static_cast<ptrdiff_t>(x) * job.taps * 4;
  } else {
    strip.src = job.src + static_cast<ptrdiff_t>(x) * 4;
  }
  return strip;
}

void Vertical(const LanczosJob& job) {
  const int32_t taps = job.taps;
  const int32_t blocks = job.width & ~15;
  for (int32_t r = 0; r < job.rows; ++r) {
    const int32_t* index = job.index + static_cast<ptrdiff_t>(r) * taps;
    const int16_t* weights = job.weights + static_cast<ptrdiff_t>(r) * taps * 4;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    for (int32_t x = 0; x < blocks; x += 16) {
      __m256i a0 = _mm256_setzero_si256(), a1 = a0, a2 = a0, a3 = a0;
      for (int32_t j = 0; j < taps; ++j) {
        const uint8_t* s = job.src + index[j] + x * 4;
        const __m256i w = _mm256_broadcastq_epi64(LoadU64(weights + j * 4));
        // Quadwords 0 2 1 3, so that the in-lane unpacks yield pixels 0-3 and 4-7 in order.
        const __m256i p0 = _mm256_permute4x64_epi64(LoadU256(s), 0xD8);
        const __m256i p1 = _mm256_permute4x64_epi64(LoadU256(s + 32), 0xD8);
        // (b × 257) >> 1: the byte in both halves of a lane, shifted right by one.
        a0 = Tap(a0, _mm256_srli_epi16(_mm256_unpacklo_epi8(p0, p0), 1), w);
        a1 = Tap(a1, _mm256_srli_epi16(_mm256_unpackhi_epi8(p0, p0), 1), w);
        a2 = Tap(a2, _mm256_srli_epi16(_mm256_unpacklo_epi8(p1, p1), 1), w);
        a3 = Tap(a3, _mm256_srli_epi16(_mm256_unpackhi_epi8(p1, p1), 1), w);
      }
      StoreU256(out + x * 8, a0);
      StoreU256(out + x * 8 + 32, a1);
      StoreU256(out + x * 8 + 64, a2);
      StoreU256(out + x * 8 + 96, a3);
    }
  }
  if (blocks < job.width) {
    LanczosPassesSse2().vertical(Strip(job, blocks, 8, false));
  }
}

// The taps of one output pixel as two partial four-lane sums in the halves of the result; away
// from the edges the taps read neighbouring pixels, four to a load. 16-bit sums wrap the same
// in any order.
inline __m128i PixelSums(const uint8_t* row, const int32_t* index, const int16_t* weights, int32_t taps) {
  if (index[taps - 1] - index[0] != (taps - 1) * 8) {
    __m128i acc = _mm_setzero_si128();
    for (int32_t j = 0; j < taps; ++j) {
      acc = Tap(acc, LoadU64(row + index[j]), LoadU64(weights + j * 4));
    }
    return acc;
  }
  const uint8_t* s = row + index[0];
  __m256i wide = _mm256_setzero_si256();
  int32_t j = 0;
  for (; j + 4 <= taps; j += 4) {
    wide = Tap(wide, LoadU256(s + j * 8), LoadU256(weights + j * 4));
  }
  __m128i acc = _mm_add_epi16(_mm256_castsi256_si128(wide), _mm256_extracti128_si256(wide, 1));
  if (j + 2 <= taps) {
    acc = Tap(acc, LoadU128(s + j * 8), LoadU128(weights + j * 4));
    j += 2;
  }
  if (j < taps) {
    acc = Tap(acc, LoadU64(s + j * 8), LoadU64(weights + j * 4));
  }
  return acc;
}

inline __m128i PairSums(__m128i a, __m128i b) {
  return _mm_srai_epi16(_mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b)), 5);
}

void Horizontal(const LanczosJob& job) {
  const int32_t taps = job.taps;
  const int32_t blocks = job.width & ~3;
  const ptrdiff_t stride = taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* row = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    const int32_t* index = job.index;
    const int16_t* weights = job.weights;
    for (int32_t x = 0; x < blocks; x += 4) {
      const __m128i a = PixelSums(row, index, weights, taps);
      const __m128i b = PixelSums(row, index + stride, weights + stride * 4, taps);
      const __m128i c = PixelSums(row, index + 2 * stride, weights + 2 * stride * 4, taps);
      const __m128i d = PixelSums(row, index + 3 * stride, weights + 3 * stride * 4, taps);
      // Sum >> 5 clamped to 0 … 255 by the saturating pack.
      StoreU128(out + x * 4, _mm_packus_epi16(PairSums(a, b), PairSums(c, d)));
      index += 4 * stride;
      weights += 4 * stride * 4;
    }
  }
  if (blocks < job.width) {
    LanczosPassesSse2().horizontal(Strip(job, blocks, 4, true));
  }
}

}  // namespace

// Widening and narrowing only move bytes; the SSE2 versions already run at memory speed.
const LanczosPasses& LanczosPassesAvx2() {
  static const LanczosPasses passes{Vertical, Horizontal, LanczosPassesSse2().widening,
                                    LanczosPassesSse2().narrowing};
  return passes;
}

}  // namespace Media
