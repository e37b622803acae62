#include "scale/lanczos_resizer_coefficients.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Media {

double LanczosKernel(double t, int32_t filterTaps) {
  if (std::fabs(t) < 2.220446049250313e-16) {
    return 1.0;
  }
  if (2.0 * std::fabs(t) >= filterTaps) {
    return 0.0;
  }
  const double pi = std::numbers::pi;
  return std::sin(pi * t) * std::sin(2.0 * pi * t / filterTaps) / (2.0 * pi * pi * t * t / filterTaps);
}

void BuildLanczosCoefficients(int32_t srcSize, int32_t dstSize, int32_t step, int32_t filterTaps,
                              LanczosCoefficients& out) {
  const bool shrinking = srcSize > dstSize;
  const int32_t taps =
      shrinking ? static_cast<int32_t>((int64_t{filterTaps} * srcSize + dstSize - 1) / dstSize) : filterTaps;
  const int32_t half = filterTaps / 2;
  const size_t entries = static_cast<size_t>(dstSize) * static_cast<size_t>(taps);
  out.srcSize = srcSize;
  out.dstSize = dstSize;
  out.step = step;
  out.taps = taps;
  out.offsets.assign(entries, 0);
  out.weights.assign(entries * 4, 0);
  std::vector<double> raw(static_cast<size_t>(taps));
  for (int32_t i = 0; i < dstSize; ++i) {
    const double centre = (i + 0.5) * srcSize / dstSize;
    const int64_t first = shrinking
                              ? static_cast<int64_t>(std::floor((i - half + 0.5) * srcSize / dstSize + 0.5))
                              : static_cast<int64_t>(std::floor(centre - half + 0.5));
    double sum = 0.0;
    int32_t* offsets = &out.offsets[static_cast<size_t>(i) * taps];
    for (int32_t j = 0; j < taps; ++j) {
      const int64_t k = first + j;
      const double t = shrinking ? (k + 0.5) * dstSize / srcSize - (i + 0.5) : (k + 0.5) - centre;
      raw[j] = LanczosKernel(t, filterTaps);
      sum += raw[j];
      const int64_t clamped = k < 0 ? 0 : (k >= srcSize ? srcSize - 1 : k);
      offsets[j] = static_cast<int32_t>(clamped * step);
    }
    int16_t* weights = &out.weights[static_cast<size_t>(i) * taps * 4];
    for (int32_t j = 0; j < taps; ++j) {
      // Truncated toward zero; the clamp only guards a share above 1.0 from wrapping.
      const double scaled = std::clamp(raw[j] / sum * 32767.0, -32768.0, 32767.0);
      const auto weight = static_cast<int16_t>(static_cast<int32_t>(scaled));
      for (int lane = 0; lane < 4; ++lane) {
        weights[j * 4 + lane] = weight;
      }
    }
  }
}

}  // namespace Media
