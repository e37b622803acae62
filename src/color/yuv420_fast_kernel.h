#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// The fast 4:2:0 kernel (high-quality mode 2): YV12 to 32-bit BGRX at the scale 1.0 = 4095,
// through the luma and chroma level tables and channel table set B, with fixed BT.601
// coefficients that ignore the YUV matrix code and the saturation. Each chroma sample covers
// its 2 × 2 block unchanged. The Y/C offset is not used; DCC, fields and arguments as in
// ConvertYv12Standard.
bool ConvertYv12Fast(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                     int ycOffset, bool dcc, int field);

}  // namespace color
