#include "scale/lanczos_resizer_passes.h"
#include "scale/lanczos_resizer_passes_simd.h"

namespace Media {

// Widening and narrowing only move bytes; the SSE2 versions already run at memory speed.
const LanczosPasses& LanczosPassesAvx2() {
  using common::simd::Avx2Lanes;
  static const LanczosPasses passes{Vertical<Avx2Lanes>, Horizontal<Avx2Lanes>, LanczosPassesSse2().widening,
                                    LanczosPassesSse2().narrowing};
  return passes;
}

}  // namespace Media
