#pragma once

// The two chroma passes written once over the register width; each instruction set's file
// instantiates them with its own lanes and flags. Internal linkage, so that the AVX2 file's
// copies can never be taken for the SSE2 ones.

#include "color/lanczos_chroma_passes.h"
#include "common/simd_lanes.h"

namespace color {
namespace {

// Six taps as three interleaved pairs, each split for pmaddwd.
template <typename V>
struct PairedWeights {
  typename V::Vec low[3];
  typename V::Vec high[3];
};

template <typename V>
PairedWeights<V> PairWeights(const int32_t* w) {
  using chroma_pass::HighPart;
  using chroma_pass::LowPart;
  using chroma_pass::Pair;
  PairedWeights<V> p;
  for (int k = 0; k < 3; ++k) {
    p.low[k] = V::Broadcast32(Pair(LowPart(w[2 * k]), LowPart(w[2 * k + 1])));
    p.high[k] = V::Broadcast32(Pair(HighPart(w[2 * k]), HighPart(w[2 * k + 1])));
  }
  return p;
}

// Σ input · weight over three interleaved input pairs (32-bit lanes): the low parts' products
// plus the high parts' shifted by 15, both wrapping to the exact sum.
template <typename V>
typename V::Vec Filter(const typename V::Vec pairs[3], const PairedWeights<V>& w) {
  typename V::Vec low = V::MulAddPairs16(pairs[0], w.low[0]);
  typename V::Vec high = V::MulAddPairs16(pairs[0], w.high[0]);
  for (int k = 1; k < 3; ++k) {
    low = V::Add32(low, V::MulAddPairs16(pairs[k], w.low[k]));
    high = V::Add32(high, V::MulAddPairs16(pairs[k], w.high[k]));
  }
  return V::Add32(low, V::ShiftLeft32(high, 15));
}

// The sums of the low and high interleaved halves, shifted right by `shift`, as saturated
// signed 16-bit values; the pack returns them to the order of the inputs.
template <typename V>
typename V::Vec Narrow(typename V::Vec lo, typename V::Vec hi, int shift) {
  return V::PackSigned32(V::ShiftRight32(lo, shift), V::ShiftRight32(hi, shift));
}

// The same as offset-binary values, at twice the inputs' scale.
template <typename V>
typename V::Vec OffsetBinary(typename V::Vec lo, typename V::Vec hi) {
  return V::Xor(Narrow<V>(lo, hi, 15), V::Broadcast16(-32768));
}

template <typename V>
void VerticalChromaPassWith(const int16_t* const rows[ChromaTaps::kTaps], const int32_t* weights, int count,
                            int16_t* out) {
  using Vec = typename V::Vec;
  constexpr int kSamples = V::kBytes / 2;
  const PairedWeights<V> w = PairWeights<V>(weights);
  int x = 0;
  for (; x + kSamples <= count; x += kSamples) {
    Vec lo[3];
    Vec hi[3];
    for (int k = 0; k < 3; ++k) {
      const Vec a = V::Load(rows[2 * k] + x);
      const Vec b = V::Load(rows[2 * k + 1] + x);
      lo[k] = V::InterleaveLow16(a, b);
      hi[k] = V::InterleaveHigh16(a, b);
    }
    V::Store(out + x, Narrow<V>(Filter<V>(lo, w), Filter<V>(hi, w), 16));
  }
  chroma_pass::VerticalSamples(rows, weights, x, count, out);
}

template <typename V>
void HorizontalChromaPassWith(const int16_t* row, const ChromaTaps& even, const ChromaTaps& odd, int count,
                              uint16_t* out) {
  using Vec = typename V::Vec;
  constexpr int kSamples = V::kBytes / 2;
  const PairedWeights<V> we = PairWeights<V>(even.weights.data());
  const PairedWeights<V> wo = PairWeights<V>(odd.weights.data());
  int k = 0;
  for (; k + kSamples <= count; k += kSamples) {
    Vec s[7];
    for (int m = 0; m < 7; ++m) {
      s[m] = V::Load(row + k - 3 + m);
    }
    Vec evenLo[3], evenHi[3], oddLo[3], oddHi[3];
    for (int p = 0; p < 3; ++p) {
      evenLo[p] = V::InterleaveLow16(s[2 * p], s[2 * p + 1]);
      evenHi[p] = V::InterleaveHigh16(s[2 * p], s[2 * p + 1]);
      oddLo[p] = V::InterleaveLow16(s[2 * p + 1], s[2 * p + 2]);
      oddHi[p] = V::InterleaveHigh16(s[2 * p + 1], s[2 * p + 2]);
    }
    const Vec e = OffsetBinary<V>(Filter<V>(evenLo, we), Filter<V>(evenHi, we));
    const Vec o = OffsetBinary<V>(Filter<V>(oddLo, wo), Filter<V>(oddHi, wo));
    V::StoreInterleaved(out + 2 * k, V::InterleaveLow16(e, o), V::InterleaveHigh16(e, o));
  }
  chroma_pass::HorizontalSamples(row, even, odd, k, count, out);
}

}  // namespace
}  // namespace color
