#pragma once

#include <cstddef>
#include <cstdint>

namespace video {

// Results of the decoding operations.
inline constexpr int32_t kDecoded = 0;
// Unusable decoder, frame out of range, unsupported bit depth or codec error.
inline constexpr int32_t kFailed = 1;
// Every packet up to the frame was empty: the previous picture stands.
inline constexpr int32_t kNothingDecoded = 2;

// Decoder kinds: what the codec delivers and so which buffers and conversions are used.
inline constexpr int32_t kKindUnusable = 0;
inline constexpr int32_t kKindRgb = 1;
inline constexpr int32_t kKindYuy2 = 3;
inline constexpr int32_t kKindYv12 = 4;
inline constexpr int32_t kKindDib = 5;
inline constexpr int32_t kKindRawYv12 = 6;
inline constexpr int32_t kKindRgbToYv12 = 7;

// The record format value of a YV12 picture; 0 means 32-bit BGRX.
inline constexpr uint32_t kFormatYv12 = 0x32315659u;  // "YV12"
inline constexpr uint32_t kFormatRgb = 0x20424752u;   // "RGB "

// One decoded picture as the frame ring keeps it.
struct DecodedPicture {
  int32_t width;
  int32_t height;
  uint32_t format;  // 0 for 32-bit BGRX, or kFormatYv12
  int32_t bits;     // 32 or 12
  int32_t size;     // written only by GetOutputInfo
  int32_t field;    // 0 progressive; 1 or 2 for one field of a field pair
};

// Frame callback events: a key frame was decoded; a YV12 picture is delivered.
inline constexpr int32_t kEventKeyFrame = 0;
inline constexpr int32_t kEventPicture = 1;
// Called on the decoding thread as callback(user, event, 0, 0).
using FrameCallback = void (*)(void* user, int32_t event, intptr_t, intptr_t);

// Turns the packets of the open file's video stream into pictures. Frame numbers index the
// video packet table. One thread at a time uses a decoder.
class VideoDecoder {
 public:
  virtual ~VideoDecoder() = default;

  // kKindUnusable when no video can be shown.
  virtual int32_t Kind() const = 0;
  // Decode packet 0, or the packet after the last one, into the decoder's picture.
  virtual int32_t DecodeFirst() = 0;
  virtual int32_t DecodeNext() = 0;
  // Seeks and decodes up to frame, adding the decompression time to DecodeSeconds.
  virtual int32_t DecodeTimed(int32_t frame) = 0;
  // Frame 0, or frame, as top-down 32-bit pixels of 4 × width bytes a row.
  virtual int32_t DecodeFirstTo(uint8_t* destination) = 0;
  virtual int32_t DecodeToRgb(int32_t frame, uint8_t* destination) = 0;
  // Seeks, decodes and converts frame to 32-bit BGRX rows pitch bytes apart, by `mode` (the
  // quality: 0 the frame processor, 1 the Lanczos kernel, 2 the fast kernel), with the Y/C
  // offset and DCC gathering where the path has them.
  virtual int32_t DecodeConverted(int32_t frame, uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset,
                                  bool dcc, int32_t mode) = 0;
  // Width, height (doubled for field pairs), "RGB ", width × height × 4 and field 0; all zero
  // for an unusable decoder. Returns 0.
  virtual int32_t GetOutputInfo(DecodedPicture* record) const = 0;
};

}  // namespace video
