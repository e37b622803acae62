#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace color {

// Taps of one output row of the field filter: byte offsets of the source rows (row × pitch)
// and weights in 2.14 fixed point (16384 = 1.0).
struct FieldFilterRow {
  static constexpr int kTaps = 6;
  ptrdiff_t offsets[kTaps];
  int16_t weights[kTaps];
};

constexpr int16_t kFieldUnityWeight = 16384;

// The Lanczos-3 kernel.
double Lanczos3(double t);

// A vertical Lanczos-3 filter that doubles `count` source rows to 2 × count output rows with
// its sampling grid moved by `phase` source rows (−0.25 for the first field, +0.25 for the
// second); edge taps repeat the first and last row.
std::vector<FieldFilterRow> BuildFieldFilter(int count, ptrdiff_t pitch, double phase);

}  // namespace color
