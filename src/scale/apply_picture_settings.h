#pragma once

#include "scale/normal_quality_tables.h"

namespace scale {

class NormalQualityConverter;

// Hands the frame processor every picture setting (not DCC, not the Y/C offset), each through
// its setter, so that the tables are rebuilt as any one change would rebuild them.
void ApplyPictureSettings(NormalQualityConverter& converter, const NormalQualitySettings& settings);

}  // namespace scale
