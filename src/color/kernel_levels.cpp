#include "color/kernel_levels.h"

namespace color {

void LoadKernelLevels(const LumaLevelTable& luma, const ChromaMatrix8& matrix, KernelLevels& levels) {
  for (int i = 0; i < 256; ++i) {
    constexpr int kOne = 1 << KernelLevels::kFractionBits;
    const int32_t l = luma[i] * kOne + kOne / 2;
    for (int32_t& lane : levels.luma[i]) {
      lane = l;
    }
    const int32_t cbB = matrix.cbB[i];
    const int32_t cbG = matrix.cbG[i];
    const int32_t crG = matrix.crG[i];
    const int32_t crR = matrix.crR[i];
    for (int k = 0; k < 3; ++k) {
      const int32_t weight = kOne >> k;
      int32_t* cb = levels.cb[k][i];
      int32_t* cr = levels.cr[k][i];
      cb[0] = cbB * weight;
      cb[1] = cbG * weight;
      cb[2] = 0;
      cb[3] = 0;
      cr[0] = 0;
      cr[1] = crG * weight;
      cr[2] = crR * weight;
      cr[3] = 0;
    }
  }
}

}  // namespace color
