#include <immintrin.h>

#include <array>
#include <cstddef>
#include <utility>

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

// Output columns [begin, end) of a job, as a job of their own for the SSE2 passes.
LanczosJob Strip(const LanczosJob& job, int32_t begin, int32_t end, int32_t dstPixelBytes,
                 bool perPixelTaps) {
  LanczosJob strip = job;
  strip.width = end - begin;
  strip.dst = job.dst + static_cast<ptrdiff_t>(begin) * dstPixelBytes;
  if (perPixelTaps) {
    strip.index = job.index + static_cast<ptrdiff_t>(begin) * job.taps;
    strip.weights = job.weights + static_cast<ptrdiff_t>(begin) * job.taps * 4;
  } else {
    strip.src = job.src + static_cast<ptrdiff_t>(begin) * 4;
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
    LanczosPassesSse2().vertical(Strip(job, blocks, job.width, 8, false));
  }
}

// All taps of one output pixel whose taps read consecutive pixels, as four partial four-lane
// sums, one per quadword. 16-bit sums wrap the same in any order. kTaps 0: `taps` at run time.
template <int kTaps>
inline __m256i PixelSums(const uint8_t* s, const int16_t* weights, int32_t taps) {
  const int32_t n = kTaps > 0 ? kTaps : taps;
  __m256i acc = _mm256_setzero_si256();
  int32_t j = 0;
  for (; j + 4 <= n; j += 4) {
    acc = Tap(acc, LoadU256(s + j * 8), LoadU256(weights + j * 4));
  }
  __m128i tail = _mm_setzero_si128();
  if (j + 2 <= n) {
    tail = Tap(tail, LoadU128(s + j * 8), LoadU128(weights + j * 4));
    j += 2;
  }
  if (j < n) {
    tail = Tap(tail, LoadU64(s + j * 8), LoadU64(weights + j * 4));
  }
  return _mm256_add_epi16(acc, _mm256_zextsi128_si256(tail));
}

// The totals of two pixels' partial sums, shifted right by 5.
inline __m128i PairSums(__m256i a, __m256i b) {
  const __m256i halves = _mm256_add_epi16(_mm256_unpacklo_epi64(a, b), _mm256_unpackhi_epi64(a, b));
  const __m128i sums = _mm_add_epi16(_mm256_castsi256_si128(halves), _mm256_extracti128_si256(halves, 1));
  return _mm_srai_epi16(sums, 5);
}

// Output pixels [begin, end) of every row, four at a time; (end − begin) is a multiple of 4 and
// every pixel's taps read consecutive pixels.
template <int kTaps>
void ContiguousColumns(const LanczosJob& job, int32_t begin, int32_t end) {
  const int32_t taps = job.taps;
  const ptrdiff_t stride = taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* row = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    const int32_t* index = job.index + begin * stride;
    const int16_t* weights = job.weights + begin * stride * 4;
    for (int32_t x = begin; x < end; x += 4) {
      const __m256i a = PixelSums<kTaps>(row + index[0], weights, taps);
      const __m256i b = PixelSums<kTaps>(row + index[stride], weights + stride * 4, taps);
      const __m256i c = PixelSums<kTaps>(row + index[2 * stride], weights + 2 * stride * 4, taps);
      const __m256i d = PixelSums<kTaps>(row + index[3 * stride], weights + 3 * stride * 4, taps);
      // Sum >> 5 clamped to 0 … 255 by the saturating pack.
      StoreU128(out + x * 4, _mm_packus_epi16(PairSums(a, b), PairSums(c, d)));
      index += 4 * stride;
      weights += 4 * stride * 4;
    }
  }
}

using Columns = void (*)(const LanczosJob&, int32_t, int32_t);

// Tap counts up to 16 (enlarging with up to 8 lobes, or shrinking by up to about 2.6 with three)
// get fully unrolled loops.
template <int... kTaps>
constexpr std::array<Columns, sizeof...(kTaps)> MakeColumns(std::integer_sequence<int, kTaps...>) {
  return {ContiguousColumns<kTaps>...};
}
constexpr auto kColumns = MakeColumns(std::make_integer_sequence<int, 17>{});

void Horizontal(const LanczosJob& job) {
  int32_t begin = 0;
  int32_t end = 0;
  LanczosContiguousSpan(job, begin, end);
  const int32_t blocks = begin + ((end - begin) & ~3);
  kColumns[job.taps < static_cast<int32_t>(kColumns.size()) ? job.taps : 0](job, begin, blocks);
  if (begin > 0) {
    LanczosPassesSse2().horizontal(Strip(job, 0, begin, 4, true));
  }
  if (blocks < job.width) {
    LanczosPassesSse2().horizontal(Strip(job, blocks, job.width, 4, true));
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
