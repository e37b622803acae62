#pragma once

#include <cstddef>
#include <cstdint>

namespace video {

// Bytes of one row of an uncompressed DIB: bits × width rounded up to whole 32-bit words.
size_t DibRowBytes(int32_t bits, int32_t width);

// Writes a DIB of width × height as top-down 32-bit BGRX rows pitch bytes apart: 32-bit
// pixels as they are, 24-bit pixels widened with a fourth byte of 255, 16-bit pixels as
// 5-5-5 with each channel's top bits repeated below and a fourth byte of 255. bottomUp: the
// DIB's last row is the picture's first. False, writing nothing, for other depths.
bool ExpandDib(const uint8_t* dib, int32_t bits, int32_t width, int32_t height, bool bottomUp,
               uint8_t* destination, ptrdiff_t pitch);

}  // namespace video
