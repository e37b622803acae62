#include "scale/scale_dsp.h"

namespace scale {

ScaleDsp BuildScaleDsp() {
  // SSE2 is part of x86-64: its variants are the floor.
  if (common::CpuFlags() & common::kCpuAvx2) {
    return {Media::LanczosPassesAvx2(), ConvertBandAvx2};
  }
  return {Media::LanczosPassesSse2(), ConvertBandSse2};
}

}  // namespace scale
