#pragma once

#include <algorithm>
#include <cstdint>

#include "color/lanczos_chroma_filter.h"

namespace color {

// The two passes that double a chroma plane with the Lanczos filter. Inputs are signed chroma,
// kChromaLevelOne / 2 per unit of w: chroma level table values minus 32768, halved. A filtered
// sum of 16.16-weighted inputs is shifted right by 16 (the vertical pass, keeping that scale)
// or by 15 (the horizontal pass, back at the level table's scale) and saturated to 16 bits;
// the horizontal pass writes it offset binary. The vector variants give the same values as the
// scalar definitions below.

// Vertical pass, one output row of `count` samples from six source rows and their weights, at
// the inputs' scale as the horizontal pass's input.
using VerticalChromaPassFn = void (*)(const int16_t* const rows[ChromaTaps::kTaps], const int32_t* weights,
                                      int count, int16_t* out);
// Horizontal pass, 2 × count offset-binary outputs from a row of `count` inputs that is padded
// (edge samples repeated) by KernelScratch::kRowPad before it and 64 after it. Every even
// output takes the weights of `even`, every odd one those of `odd`.
using HorizontalChromaPassFn = void (*)(const int16_t* row, const ChromaTaps& even, const ChromaTaps& odd,
                                        int count, uint16_t* out);

struct ChromaPasses {
  VerticalChromaPassFn vertical;
  HorizontalChromaPassFn horizontal;
};

ChromaPasses ChromaPassesSse2();
// Only where the processor has AVX2.
ChromaPasses ChromaPassesAvx2();

// Scalar definitions, used for the samples the vectors leave over. Static so that the AVX2
// translation unit keeps its own copies.
namespace chroma_pass {

// The filtered sum of six inputs. Inputs are at most 2^14 in size and the weights' sizes sum to
// at most 1.41 · 2^16, so vertical outputs stay below 1.41 · 2^14 and even a horizontal sum
// stays below 2^31: the vectors' wrapping 32-bit sums are exact.
static inline int64_t Sum(const int16_t* const inputs[ChromaTaps::kTaps], const int32_t* weights, int at) {
  int64_t sum = 0;
  for (int j = 0; j < ChromaTaps::kTaps; ++j) {
    sum += static_cast<int64_t>(inputs[j][at]) * weights[j];
  }
  return sum;
}

static inline int16_t Saturate(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767));
}

static inline uint16_t OffsetBinary(int64_t sum) {
  return static_cast<uint16_t>(Saturate(sum >> 15) + 32768);
}

static inline void VerticalSamples(const int16_t* const rows[ChromaTaps::kTaps], const int32_t* weights,
                                   int begin, int end, int16_t* out) {
  for (int x = begin; x < end; ++x) {
    out[x] = Saturate(Sum(rows, weights, x) >> 16);
  }
}

static inline void HorizontalSamples(const int16_t* row, const ChromaTaps& even, const ChromaTaps& odd,
                                     int begin, int end, uint16_t* out) {
  for (int k = begin; k < end; ++k) {
    int64_t e = 0;
    int64_t o = 0;
    for (int j = 0; j < ChromaTaps::kTaps; ++j) {
      e += static_cast<int64_t>(row[k - 3 + j]) * even.weights[j];
      o += static_cast<int64_t>(row[k - 2 + j]) * odd.weights[j];
    }
    out[2 * k] = OffsetBinary(e);
    out[2 * k + 1] = OffsetBinary(o);
  }
}

// A 16.16 weight w as a · 32768 + b with 0 ≤ b < 32768, both 16-bit, for pmaddwd.
static inline int32_t HighPart(int32_t w) { return w >> 15; }
static inline int32_t LowPart(int32_t w) { return w & 0x7FFF; }
// Two taps' parts as the 16-bit pair pmaddwd multiplies with an interleaved input pair.
static inline int32_t Pair(int32_t first, int32_t second) {
  return static_cast<int32_t>((static_cast<uint32_t>(second) << 16) |
                              (static_cast<uint32_t>(first) & 0xFFFF));
}

}  // namespace chroma_pass

}  // namespace color
