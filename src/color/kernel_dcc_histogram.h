#pragma once

#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// Feeds the DCC histograms from a YV12 picture of width × height (both even): for every
// horizontally adjacent pair (a, b) within a row, |a − b| >> 1 is added to the bins of a and
// of b, luma over its height rows of width samples, chroma over the V and U planes taken as
// height rows of width / 2 samples. Flat areas add nothing.
void AccumulateDccHistograms(const uint8_t* picture, int width, int height, ColourTables& tables);

}  // namespace color
