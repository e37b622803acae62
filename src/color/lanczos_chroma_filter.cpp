#include "color/lanczos_chroma_filter.h"

#include <cmath>

#include "color/field_interpolator_filter.h"

namespace color {

std::vector<ChromaTaps> BuildChromaDoublingFilter(int count) {
  const int outputs = 2 * count;
  std::vector<ChromaTaps> filter(static_cast<size_t>(outputs));
  for (int i = 0; i < outputs; ++i) {
    const double centre = static_cast<double>(count) * (i + 0.5) / outputs;
    const int first = static_cast<int>(std::floor(centre - 2.5));
    std::array<double, ChromaTaps::kTaps> raw;
    double sum = 0;
    for (int j = 0; j < ChromaTaps::kTaps; ++j) {
      raw[j] = Lanczos3(first + j + 0.5 - centre);
      sum += raw[j];
    }
    ChromaTaps& taps = filter[static_cast<size_t>(i)];
    taps.first = first;
    for (int j = 0; j < ChromaTaps::kTaps; ++j) {
      taps.weights[j] = static_cast<int32_t>(raw[j] / sum * 65536.0);
    }
  }
  return filter;
}

}  // namespace color
