#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// The first half of the RGB round trip: 32-bit BGRX (rows sourcePitch bytes apart) to packed
// 4:4:4 Y'CbCr (Cr, Cb, Y, Cb per pixel, rows of 4 × width bytes without gaps) through the
// forward matrix and the quantisers: video-range luma 16 … 235 and chroma 16 … 240. False,
// writing nothing, for a size outside 1 … kMaxKernelSize, a source pitch below 4 × width, or
// before the tables exist.
bool ConvertRgbToPacked444(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, int width,
                           int height);

}  // namespace color
