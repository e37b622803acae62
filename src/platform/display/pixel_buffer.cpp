#include "platform/display/pixel_buffer.h"

#include <cstring>

namespace platform::display {

namespace {
constexpr int32_t kRowAlignment = 64;
}

bool PixelBuffer::Allocate(int32_t width, int32_t height) {
  bits_.reset();
  width_ = height_ = pitch_ = 0;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      int64_t{width} * height > kMaxPixels) {
    return false;
  }
  const int32_t pitch = (width * 4 + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
  bits_.reset(static_cast<uint8_t*>(std::aligned_alloc(kRowAlignment, size_t(pitch) * size_t(height))));
  if (!bits_) return false;
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  Clear();
  return true;
}

void PixelBuffer::Clear() {
  if (bits_) std::memset(bits_.get(), 0, size_t(pitch_) * size_t(height_));
}

PictureView PixelBuffer::View(const Rect& area) const {
  return {Pixel(area.left, area.top), pitch_, area.Width(), area.Height()};
}

}  // namespace platform::display
