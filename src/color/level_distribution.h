#pragma once

#include <array>
#include <cstdint>

namespace color {

// The tone curves of DCC: cumulative distributions of a picture's levels, each bin blended
// with a constant so that a few busy levels stretch the curve only partly.

// Luma over 16 … 235, the constant eight times the mean non-empty bin (16 with none); flat
// below 17 and above 235.
std::array<double, 256> LumaDistribution(const std::array<uint64_t, 256>& counts);

// Chroma magnitudes d = |c − 128|, the two sides counted together, the constant five times the
// mean non-empty pair over 1 … 112 (16 with none). Magnitude 128 is reached by chroma 0 alone,
// which counts twice in place of its missing partner, so flat statistics keep the ramp d / 112.
std::array<double, 129> ChromaDistribution(const std::array<uint64_t, 256>& counts);

}  // namespace color
