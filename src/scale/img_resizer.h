#pragma once

#include <cstdint>

namespace Media {

// Scales a picture of 32-bit pixels; pitches are in bytes and the pointers address the top-left
// pixel of each rectangle.
class IImgResizer {
 public:
  virtual void Resize(const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, uint8_t* dst,
                      int32_t dstPitch, int32_t dstWidth, int32_t dstHeight) = 0;

 protected:
  // The owner destroys the concrete object, never through this interface.
  ~IImgResizer() = default;
};

}  // namespace Media
