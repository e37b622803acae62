#include "video/dib_rows.h"

#include <cstring>

namespace video {

namespace {

uint8_t Widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }

}  // namespace

size_t DibRowBytes(int32_t bits, int32_t width) {
  return (static_cast<size_t>(bits) * static_cast<size_t>(width) + 31) / 32 * 4;
}

bool ExpandDib(const uint8_t* dib, int32_t bits, int32_t width, int32_t height, bool bottomUp,
               uint8_t* destination, ptrdiff_t pitch) {
  if (bits != 32 && bits != 24 && bits != 16) return false;
  const size_t row = DibRowBytes(bits, width);
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* in = dib + row * static_cast<size_t>(bottomUp ? height - 1 - y : y);
    uint8_t* out = destination + y * pitch;
    if (bits == 32) {
      std::memcpy(out, in, 4 * static_cast<size_t>(width));
    } else if (bits == 24) {
      for (int32_t x = 0; x < width; ++x, in += 3, out += 4) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 255;
      }
    } else {
      for (int32_t x = 0; x < width; ++x, in += 2, out += 4) {
        const uint32_t p = static_cast<uint32_t>(in[0] | in[1] << 8);
        out[0] = Widen5(p & 31);
        out[1] = Widen5((p >> 5) & 31);
        out[2] = Widen5((p >> 10) & 31);
        out[3] = 255;
      }
    }
  }
  return true;
}

}  // namespace video
