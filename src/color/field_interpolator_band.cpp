#include "color/field_interpolator_band.h"

#include <algorithm>

namespace color {

FieldTaps ActiveTaps(const FieldBand& band, int row) {
  const FieldFilterRow& filter = band.filter[row];
  FieldTaps taps{};
  for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
    if (filter.weights[j] != 0) {
      taps.rows[taps.count] = band.source + filter.offsets[j];
      taps.weights[taps.count] = filter.weights[j];
      ++taps.count;
    }
  }
  return taps;
}

void InterpolateBytes(const FieldTaps& taps, uint8_t* out, size_t begin, size_t end) {
  for (size_t x = begin; x < end; ++x) {
    int sum = 0;
    for (int t = 0; t < taps.count; ++t) {
      const int wide = (taps.rows[t][x] * 257) >> 1;
      sum = std::clamp(sum + ((wide * taps.weights[t]) >> 16), -32768, 32767);
    }
    out[x] = static_cast<uint8_t>(std::clamp(sum >> 5, 0, 255));
  }
}

}  // namespace color
