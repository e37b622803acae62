#pragma once

#include "color/colour_state.h"

namespace color {

// Allocates every table that does not exist yet (and, the first time, sets the histograms
// flat), builds the channel tables with neutral display gammas, then the 16-bit chroma matrix,
// the quantisers and the forward matrix. The level tables are allocated but left to
// BuildLevelTables.
void RebuildColourTables();

// The same for a caller that already holds state.lock.
void RebuildColourTablesLocked(ColourState& state);

}  // namespace color
