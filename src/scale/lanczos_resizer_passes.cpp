#include "scale/lanczos_resizer_passes.h"

namespace Media {

const LanczosPasses& SelectLanczosPasses() {
  return __builtin_cpu_supports("avx2") ? LanczosPassesAvx2() : LanczosPassesSse2();
}

}  // namespace Media
