#pragma once

#include "color/field_interpolator_band.h"
#include "color/lanczos_chroma_passes.h"
#include "common/cpu_features.h"

namespace color {

// The vector passes of the colour conversions.
struct ColourDsp {
  ChromaPasses chroma;
  FieldBandKernel interpolateBand;
};

// The variants for common::CpuFlags().
ColourDsp BuildColourDsp();

using ColourDspTable = common::DispatchTable<ColourDsp, BuildColourDsp>;

}  // namespace color
