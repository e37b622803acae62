#pragma once

// The vertical and horizontal passes written once over the register width; each instruction
// set's file instantiates them with its own lanes and flags. What a register leaves over at the
// end of a row goes 128 bits at a time. Internal linkage, so that the AVX2 file's copies can
// never be taken for the SSE2 ones.

#include <array>
#include <cstddef>
#include <utility>

#include "common/simd_lanes.h"
#include "scale/lanczos_resizer_passes.h"

namespace Media {
namespace {

using common::simd::Sse2Lanes;

template <typename V>
typename V::Vec Tap(typename V::Vec acc, typename V::Vec values, typename V::Vec weights) {
  return V::Add16(acc, V::MulHigh16(values, weights));
}

// Bytes b to 16-bit (b × 257) >> 1: the byte in both halves of a lane, shifted right by one.
template <typename V>
typename V::Vec WidenLow(typename V::Vec bytes) {
  return V::ShiftRightLogical16(V::InterleaveLow8(bytes, bytes), 1);
}

template <typename V>
typename V::Vec WidenHigh(typename V::Vec bytes) {
  return V::ShiftRightLogical16(V::InterleaveHigh8(bytes, bytes), 1);
}

// Output pixels of one row of a vertical job from x on, two registers of source pixels at a
// time; returns where it stopped.
template <typename V>
int32_t VerticalBlocks(const LanczosJob& job, const int32_t* index, const int16_t* weights, uint8_t* out,
                       int32_t x) {
  using Vec = typename V::Vec;
  constexpr int32_t kPixels = V::kBytes / 2;
  for (; x + kPixels <= job.width; x += kPixels) {
    Vec a0 = V::Zero(), a1 = a0, a2 = a0, a3 = a0;
    for (int32_t j = 0; j < job.taps; ++j) {
      const uint8_t* s = job.src + index[j] + x * 4;
      const Vec w = V::Broadcast64(weights + j * 4);
      const Vec p0 = V::Load(s);
      const Vec p1 = V::Load(s + V::kBytes);
      a0 = Tap<V>(a0, WidenLow<V>(p0), w);
      a1 = Tap<V>(a1, WidenHigh<V>(p0), w);
      a2 = Tap<V>(a2, WidenLow<V>(p1), w);
      a3 = Tap<V>(a3, WidenHigh<V>(p1), w);
    }
    V::StoreInterleaved(out + x * 8, a0, a1);
    V::StoreInterleaved(out + x * 8 + 2 * V::kBytes, a2, a3);
  }
  return x;
}

template <typename V>
void Vertical(const LanczosJob& job) {
  const int32_t taps = job.taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const int32_t* index = job.index + static_cast<ptrdiff_t>(r) * taps;
    const int16_t* weights = job.weights + static_cast<ptrdiff_t>(r) * taps * 4;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    int32_t x = VerticalBlocks<V>(job, index, weights, out, 0);
    if constexpr (V::kBytes > Sse2Lanes::kBytes) {
      x = VerticalBlocks<Sse2Lanes>(job, index, weights, out, x);
    }
    // Two pixels at a time; an odd last one reads and writes only its own bytes.
    for (; x < job.width; x += 2) {
      const bool single = x + 1 == job.width;
      __m128i a = Sse2Lanes::Zero();
      for (int32_t j = 0; j < taps; ++j) {
        const uint8_t* s = job.src + index[j] + x * 4;
        const __m128i w = Sse2Lanes::Broadcast64(weights + j * 4);
        a = Tap<Sse2Lanes>(a, WidenLow<Sse2Lanes>(single ? Sse2Lanes::Load32(s) : Sse2Lanes::Load64(s)), w);
      }
      if (single) {
        Sse2Lanes::Store64(out + x * 8, a);
      } else {
        Sse2Lanes::Store(out + x * 8, a);
      }
    }
  }
}

// Calls block(row, index, weights, out) for output pixels [begin, end) of every row of a
// horizontal job, kPixels at a time: `row` is the row's source, `index` and `weights` the taps of
// the group's first pixel and `out` its bytes. (end − begin) is a multiple of kPixels.
template <int32_t kPixels, typename Block>
void ForEachColumnGroup(const LanczosJob& job, int32_t begin, int32_t end, Block block) {
  const ptrdiff_t stride = job.taps;
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* row = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    const int32_t* index = job.index + begin * stride;
    const int16_t* weights = job.weights + begin * stride * 4;
    for (int32_t x = begin; x < end; x += kPixels) {
      block(row, index, weights, out + x * 4);
      index += kPixels * stride;
      weights += kPixels * stride * 4;
    }
  }
}

// Two pixels' partial four-lane sums (one per quadword) as their totals, pixel a in the low
// half and b in the high one, shifted right by 5. 16-bit sums wrap the same in any order.
template <typename V>
__m128i PairTotals(typename V::Vec a, typename V::Vec b) {
  const typename V::Vec halves = V::Add16(V::InterleaveLow64(a, b), V::InterleaveHigh64(a, b));
  return _mm_srai_epi16(V::SumHalves16(halves), 5);
}

// All taps of one output pixel whose taps read consecutive pixels, as partial sums in the
// quadwords of the result. kTaps 0: `taps` at run time.
template <typename V, int kTaps>
typename V::Vec ContiguousSums(const uint8_t* s, const int16_t* weights, int32_t taps) {
  constexpr int32_t kStep = V::kBytes / 8;
  const int32_t n = kTaps > 0 ? kTaps : taps;
  typename V::Vec acc = V::Zero();
  int32_t j = 0;
  for (; j + kStep <= n; j += kStep) {
    acc = Tap<V>(acc, V::Load(s + j * 8), V::Load(weights + j * 4));
  }
  __m128i tail = Sse2Lanes::Zero();
  if (kStep > 2 && j + 2 <= n) {
    tail = Tap<Sse2Lanes>(tail, Sse2Lanes::Load(s + j * 8), Sse2Lanes::Load(weights + j * 4));
    j += 2;
  }
  if (j < n) {
    tail = Tap<Sse2Lanes>(tail, Sse2Lanes::Load64(s + j * 8), Sse2Lanes::Load64(weights + j * 4));
  }
  return V::Add16(acc, V::FromLow128(tail));
}

// Output pixels [begin, end) whose taps all read consecutive pixels, one pixel per quadword of
// a register at a time; (end − begin) is a multiple of that. Sums >> 5 are clamped to 0 … 255
// by the saturating pack.
template <typename V, int kTaps>
void ContiguousColumns(const LanczosJob& job, int32_t begin, int32_t end) {
  constexpr int32_t kPixels = V::kBytes / 8;
  const int32_t taps = job.taps;
  const ptrdiff_t stride = taps;
  const auto group = [=](const uint8_t* row, const int32_t* index, const int16_t* weights, uint8_t* out) {
    const auto sums = [&](int32_t p) {
      return ContiguousSums<V, kTaps>(row + index[p * stride], weights + p * stride * 4, taps);
    };
    const __m128i first = PairTotals<V>(sums(0), sums(1));
    if constexpr (kPixels == 2) {
      Sse2Lanes::Store64(out, _mm_packus_epi16(first, first));
    } else {
      Sse2Lanes::Store(out, _mm_packus_epi16(first, PairTotals<V>(sums(2), sums(3))));
    }
  };
  ForEachColumnGroup<kPixels>(job, begin, end, group);
}

inline __m128i ScatteredSums(const uint8_t* row, const int32_t* index, const int16_t* weights, int32_t taps) {
  __m128i acc = Sse2Lanes::Zero();
  for (int32_t j = 0; j < taps; ++j) {
    acc = Tap<Sse2Lanes>(acc, Sse2Lanes::Load64(row + index[j]), Sse2Lanes::Load64(weights + j * 4));
  }
  return acc;
}

// Output pixels [begin, end) whose taps may read any pixels (near the edges, where offsets
// repeat), tap by tap: two pixels at a time, then an odd last one.
inline void ScatteredColumns(const LanczosJob& job, int32_t begin, int32_t end) {
  const int32_t taps = job.taps;
  const ptrdiff_t stride = taps;
  const auto pair = [=](const uint8_t* row, const int32_t* index, const int16_t* weights, uint8_t* out) {
    const __m128i totals =
        PairTotals<Sse2Lanes>(ScatteredSums(row, index, weights, taps),
                              ScatteredSums(row, index + stride, weights + stride * 4, taps));
    Sse2Lanes::Store64(out, _mm_packus_epi16(totals, totals));
  };
  const auto single = [=](const uint8_t* row, const int32_t* index, const int16_t* weights, uint8_t* out) {
    const __m128i a = ScatteredSums(row, index, weights, taps);
    const __m128i totals = PairTotals<Sse2Lanes>(a, a);
    Sse2Lanes::Store32(out, _mm_packus_epi16(totals, totals));
  };
  const int32_t pairsEnd = begin + ((end - begin) & ~1);
  ForEachColumnGroup<2>(job, begin, pairsEnd, pair);
  ForEachColumnGroup<1>(job, pairsEnd, end, single);
}

using Columns = void (*)(const LanczosJob&, int32_t, int32_t);

// Tap counts up to 16 (enlarging with up to 8 lobes, or shrinking by up to about 2.6 with three)
// get fully unrolled loops.
template <typename V, int... kTaps>
constexpr std::array<Columns, sizeof...(kTaps)> MakeContiguousColumns(std::integer_sequence<int, kTaps...>) {
  return {ContiguousColumns<V, kTaps>...};
}

template <typename V>
void Horizontal(const LanczosJob& job) {
  static constexpr auto kColumns = MakeContiguousColumns<V>(std::make_integer_sequence<int, 17>{});
  constexpr int32_t kPixels = V::kBytes / 8;
  int32_t begin = 0;
  int32_t end = 0;
  LanczosContiguousSpan(job, begin, end);
  const int32_t blocks = begin + (end - begin) / kPixels * kPixels;
  kColumns[job.taps < static_cast<int32_t>(kColumns.size()) ? job.taps : 0](job, begin, blocks);
  ScatteredColumns(job, 0, begin);
  ScatteredColumns(job, blocks, job.width);
}

}  // namespace
}  // namespace Media
