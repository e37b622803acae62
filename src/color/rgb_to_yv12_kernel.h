#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// 32-bit BGRX (rows sourcePitch bytes apart) to a YV12 picture (Y plane width × height, then
// V, then U, width / 2 × height / 2 each) through the forward matrix and the quantisers; each
// chroma sample is the mean of its 2 × 2 block's 16-bit values. Width and height are even,
// 2 … kMaxKernelSize. False, writing nothing, for other sizes, a source pitch below
// 4 × width, or before the tables exist.
bool ConvertRgbToYv12(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, int width,
                      int height);

}  // namespace color
