#pragma once

#include <cstdint>

#include "scale/lanczos_resizer_coefficients.h"

namespace Media {

// The coefficients of one axis, kept until a call asks for another size pair or step, so that
// playback at a fixed size builds nothing per frame.
class LanczosCoefficientCache {
 public:
  explicit LanczosCoefficientCache(int32_t filterTaps) : filterTaps_(filterTaps) {}

  const LanczosCoefficients& Get(int32_t srcSize, int32_t dstSize, int32_t step);
  // The set last built (empty before the first Get).
  const LanczosCoefficients& Current() const { return set_; }
  // How many times the set has been built.
  int32_t Builds() const { return builds_; }

 private:
  int32_t filterTaps_;
  int32_t builds_ = 0;
  LanczosCoefficients set_;
};

}  // namespace Media
