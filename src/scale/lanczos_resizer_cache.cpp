#include "scale/lanczos_resizer_cache.h"

namespace Media {

const LanczosCoefficients& LanczosCoefficientCache::Get(int32_t srcSize, int32_t dstSize, int32_t step) {
  // The step is part of the key: vertical offsets are in source rows, so a new source pitch at
  // the same heights needs new offsets.
  if (set_.taps == 0 || set_.srcSize != srcSize || set_.dstSize != dstSize || set_.step != step) {
    BuildLanczosCoefficients(srcSize, dstSize, step, filterTaps_, set_);
    ++builds_;
  }
  return set_;
}

}  // namespace Media
