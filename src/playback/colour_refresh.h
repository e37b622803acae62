#pragma once

#include "common/settings.h"

namespace playback {

// The colour model's luma and chroma gammas, matrix and picture levels, from the settings.
void RefreshColour(const common::Settings& settings);
// The source matrix changed: the matrix tables are rebuilt and the colour refreshed, under the
// AllocationLock so that no other rebuild interleaves. The channel tables are left as the rebuild
// makes them (neutral display gammas) until the next RGB rebuild.
void ChangeYuvMatrix(const common::Settings& settings);
// The channel tables with the user's display gammas.
void RebuildRgb(const common::Settings& settings);

}  // namespace playback
