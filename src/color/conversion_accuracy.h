#pragma once

#include <array>

#include "color/colour_tables.h"

namespace color {

// How far the luma level and 8-bit chroma matrix tables are from an exact Y'CbCr to RGB
// conversion over all 2^24 triples, every value on the scale 0 … 1: the largest error (never
// below 0), the smallest (never above 0), the mean absolute and the mean square error per
// channel. Reads the tables without a lock; spreads the triples over one worker per processor.
void MeasureConversionAccuracy(double& maxError, double& minError, double& meanAbsError,
                               double& meanSquareError);

// Reference minus table result for one triple, R, G, B.
std::array<double, 3> ConversionErrors(const ColourTables& tables, int y, int cb, int cr);

}  // namespace color
