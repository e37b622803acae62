#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/display/types.h"

namespace platform::display {

// The memory of one 32-bit surface. Rows start on 64-byte boundaries, so the pitch is
// usually more than width × 4 and callers must step by it.
class PixelBuffer {
 public:
  // Larger surfaces are refused rather than allocated.
  static constexpr int32_t kMaxSide = 16384;
  static constexpr int64_t kMaxPixels = int64_t{8192} * 8192;

  PixelBuffer() = default;
  // Allocates width × height pixels, all black; false (and an empty buffer) for sizes
  // that are not positive or exceed the limits.
  bool Allocate(int32_t width, int32_t height);
  void Clear();  // black

  uint8_t* Bits() const { return bits_.get(); }
  uint8_t* Pixel(int32_t x, int32_t y) const { return bits_.get() + int64_t{y} * pitch_ + int64_t{x} * 4; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t Pitch() const { return pitch_; }
  Rect Bounds() const { return {0, 0, width_, height_}; }
  PictureView View(const Rect& area) const;

 private:
  struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
  };
  std::unique_ptr<uint8_t[], FreeDeleter> bits_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t pitch_ = 0;
};

}  // namespace platform::display
