#pragma once

#include "color/colour_state.h"

namespace color {

// Builds LumaLevelTable, ChromaLevelTable and ChromaMatrix8 from the histograms and the stored
// b, ct, s, luma and chroma gammas and matrix code. Does nothing before InitColour.
void BuildLevelTables();

// Stores brightness, contrast and saturation, then runs BuildLevelTables.
void SetPictureLevels(double brightness, double contrast, double saturation);

// Every histogram bin back to the flat 65536.
void ResetHistograms();
// Every histogram bin halved, so older pictures weigh less.
void DecayHistograms();

}  // namespace color
