#pragma once

#include <cstdint>
#include <vector>

namespace Media {

// The taps of one axis: for each output position, `taps` source byte offsets (source position ×
// step, clamped to the picture so edge pixels repeat) and as many signed 16-bit weights
// (32767 ≈ 1.0), each repeated in four lanes, one per channel of a pixel.
struct LanczosCoefficients {
  int32_t srcSize = 0;
  int32_t dstSize = 0;
  int32_t step = 0;
  int32_t taps = 0;
  std::vector<int32_t> offsets;
  std::vector<int16_t> weights;
};

// The Lanczos kernel of `filterTaps` taps (taps / 2 lobes) at distance t, in double precision.
double LanczosKernel(double t, int32_t filterTaps);

// Fills `out` for srcSize → dstSize (both at least 1). Enlarging (or equal sizes) places
// `filterTaps` taps on the source grid; shrinking widens the kernel to the destination grid and
// uses filterTaps × srcSize / dstSize taps, rounded up.
void BuildLanczosCoefficients(int32_t srcSize, int32_t dstSize, int32_t step, int32_t filterTaps,
                              LanczosCoefficients& out);

}  // namespace Media
