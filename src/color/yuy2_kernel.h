#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// YUY2 to 32-bit BGRX through the luma level table, the 8-bit chroma matrix and channel
// table set A. Each row holds pairs of pixels as Y0 U Y1 V; the pair's chroma is co-sited
// with its first pixel, and the second pixel takes half of its own pair's chroma and half of
// the next pair's (the last pair's in full at the right edge), as the standard 4:2:0 kernel
// spreads chroma along a row. Rows are sourcePitch bytes apart and hold at least
// 2 × (width rounded up to even) bytes. Destination as in ConvertYv12Standard (progressive).
// False, writing nothing, for a size outside 1 … kMaxKernelSize, a pitch too small, or before
// the tables exist.
bool ConvertYuy2(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, ptrdiff_t pitch,
                 int width, int height);

}  // namespace color
