#include "color/field_interpolator_filter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace color {

double Lanczos3(double t) {
  if (std::fabs(t) < 0x1p-52) {
    return 1.0;
  }
  if (std::fabs(t) >= 3.0) {
    return 0.0;
  }
  const double pt = std::numbers::pi * t;
  return std::sin(pt) * std::sin(pt / 3.0) / (pt * pt / 3.0);
}

std::vector<FieldFilterRow> BuildFieldFilter(int count, ptrdiff_t pitch, double phase) {
  const int n = 2 * count;
  std::vector<FieldFilterRow> filter(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double centre = static_cast<double>(count) * (i + 0.5) / n;
    const int first = static_cast<int>(std::floor(centre - 2.5));
    double raw[FieldFilterRow::kTaps];
    double sum = 0.0;
    for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
      const int row = std::clamp(first + j, 0, count - 1);
      filter[i].offsets[j] = static_cast<ptrdiff_t>(row) * pitch;
      raw[j] = Lanczos3(first + j + 0.5 - centre + phase);
      sum += raw[j];
    }
    for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
      filter[i].weights[j] = static_cast<int16_t>(std::trunc(raw[j] / sum * kFieldUnityWeight));
    }
  }
  return filter;
}

}  // namespace color
