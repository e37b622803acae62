#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// The return half of the RGB round trip: packed 4:4:4 Y'CbCr (4 bytes per pixel: Cr, Cb, Y,
// Cb; rows of 4 × width bytes without gaps) to 32-bit BGRX through the luma level table, the
// 8-bit chroma matrix and channel table set A, so that the picture settings act on RGB
// sources too. The Y/C offset (−5 … +5) moves chroma by whole pixels within the row, the edge
// pixel's chroma repeated past an edge. False, writing nothing, for a size outside
// 1 … kMaxKernelSize, a pitch below 4 × width, or before the tables exist.
bool ConvertPacked444ToRgb(const uint8_t* source, uint8_t* destination, int width, int height,
                           ptrdiff_t pitch, int ycOffset);

}  // namespace color
