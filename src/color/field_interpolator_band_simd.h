#pragma once

// The band loop written once over the register width; each instruction set's file instantiates
// it with its own lanes and flags. Internal linkage, so that the AVX2 file's copy can never be
// taken for the SSE2 one.

#include <cstring>

#include "color/field_interpolator_band.h"
#include "common/simd_lanes.h"

namespace color {
namespace {

template <typename V>
void InterpolateBandWith(const FieldBand& band) {
  using Vec = typename V::Vec;
  const size_t bytes = static_cast<size_t>(band.width) * 4;
  for (int r = 0; r < band.rows; ++r) {
    const FieldTaps taps = ActiveTaps(band, r);
    uint8_t* out = band.destination + r * band.destinationPitch;
    if (taps.IsCopy()) {
      std::memcpy(out, taps.rows[0], bytes);
      continue;
    }
    Vec weights[FieldFilterRow::kTaps];
    for (int t = 0; t < taps.count; ++t) {
      weights[t] = V::Broadcast16(taps.weights[t]);
    }
    size_t x = 0;
    for (; x + V::kBytes <= bytes; x += V::kBytes) {
      Vec lo = V::Zero();
      Vec hi = V::Zero();
      for (int t = 0; t < taps.count; ++t) {
        const Vec v = V::Load(taps.rows[t] + x);
        // Interleaving a byte with itself gives v × 257; the pack below undoes the interleave's
        // order within each 128-bit half.
        const Vec wideLo = V::ShiftRightLogical16(V::InterleaveLow8(v, v), 1);
        const Vec wideHi = V::ShiftRightLogical16(V::InterleaveHigh8(v, v), 1);
        lo = V::AddSaturate16(lo, V::MulHigh16(wideLo, weights[t]));
        hi = V::AddSaturate16(hi, V::MulHigh16(wideHi, weights[t]));
      }
      V::Store(out + x, V::PackUnsigned16(V::ShiftRight16(lo, 5), V::ShiftRight16(hi, 5)));
    }
    InterpolateBytes(taps, out, x, bytes);
  }
}

}  // namespace
}  // namespace color
