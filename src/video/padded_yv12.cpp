#include "video/padded_yv12.h"

#include <cstring>

namespace video {

namespace {

void PadPlane(const uint8_t* source, size_t width, size_t rows, size_t paddedWidth, uint8_t* destination) {
  for (size_t y = 0; y < rows; ++y) {
    const uint8_t* in = source + y * width;
    uint8_t* out = destination + y * paddedWidth;
    std::memcpy(out, in, width);
    std::memset(out + width, in[width - 1], paddedWidth - width);
  }
}

}  // namespace

size_t PaddedYv12Bytes(int32_t paddedWidth, int32_t height) {
  const size_t w = static_cast<size_t>(paddedWidth);
  const size_t h = static_cast<size_t>(height);
  return w * h + 2 * (w / 2) * (h / 2);
}

void PadYv12(const uint8_t* source, int32_t width, int32_t height, int32_t paddedWidth,
             uint8_t* destination) {
  const size_t w = static_cast<size_t>(width);
  const size_t h = static_cast<size_t>(height);
  const size_t pw = static_cast<size_t>(paddedWidth);
  PadPlane(source, w, h, pw, destination);
  const uint8_t* chroma = source + w * h;
  uint8_t* paddedChroma = destination + pw * h;
  for (int plane = 0; plane < 2; ++plane) {
    PadPlane(chroma, w / 2, h / 2, pw / 2, paddedChroma);
    chroma += (w / 2) * (h / 2);
    paddedChroma += (pw / 2) * (h / 2);
  }
}

}  // namespace video
