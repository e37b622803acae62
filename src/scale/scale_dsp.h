#pragma once

#include "common/cpu_features.h"
#include "scale/lanczos_resizer_passes.h"
#include "scale/normal_quality_band.h"

namespace scale {

// The vector passes of the scalers and the frame processor.
struct ScaleDsp {
  Media::LanczosPasses lanczos;
  BandConverter convertBand;
};

// The variants for common::CpuFlags().
ScaleDsp BuildScaleDsp();

using ScaleDspTable = common::DispatchTable<ScaleDsp, BuildScaleDsp>;

}  // namespace scale
