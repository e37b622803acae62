#pragma once

#include <cstddef>
#include <cstdint>

#include "color/field_interpolator_filter.h"

namespace color {

// One band of the field interpolation: `rows` output rows of `width` 32-bit pixels, filter
// rows starting at the band's first output row.
struct FieldBand {
  const uint8_t* source = nullptr;
  uint8_t* destination = nullptr;
  ptrdiff_t destinationPitch = 0;
  int width = 0;
  int rows = 0;
  const FieldFilterRow* filter = nullptr;
};

// The taps of one output row whose weight is not zero (a zero weight adds nothing).
struct FieldTaps {
  const uint8_t* rows[FieldFilterRow::kTaps];
  int16_t weights[FieldFilterRow::kTaps];
  int count;
  // A single unity tap reproduces its row byte for byte, so the row is a plain copy.
  bool IsCopy() const { return count == 1 && weights[0] == kFieldUnityWeight; }
};

FieldTaps ActiveTaps(const FieldBand& band, int row);

// Bytes [begin, end) of one output row, one at a time: the definition the vector loops follow.
void InterpolateBytes(const FieldTaps& taps, uint8_t* out, size_t begin, size_t end);

// Every byte v of a tap's source row is widened to (v × 257) >> 1, multiplied by the tap
// weight keeping the high 16 bits, and summed with 16-bit saturation; the byte out is the sum
// shifted right by 5, clamped to 0 … 255. Every variant gives the bytes of InterpolateBytes.
using FieldBandKernel = void (*)(const FieldBand& band);

void InterpolateBandSse2(const FieldBand& band);
// Only where the processor has AVX2.
void InterpolateBandAvx2(const FieldBand& band);

}  // namespace color
