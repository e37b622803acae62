#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace platform::codec {

// Results of the codec calls. The numbers are the ones callers of a codec manager test for.
inline constexpr int32_t kOk = 0;
// The packet was taken but its picture comes out with a later packet or the drain.
inline constexpr int32_t kNoPicture = 1;
inline constexpr int32_t kUnsupported = -1;
inline constexpr int32_t kBadFormat = -2;
inline constexpr int32_t kError = -100;

// Decompress flag: the packet is not a key frame.
inline constexpr uint32_t kNotKeyFrame = 0x08000000u;

// A picture format: a BitmapInfoHeader followed by the codec's extra bytes, at least 40 bytes.
using Format = std::span<const uint8_t>;

// One opened decompressor. Begin fixes the input and output formats; every picture handed out
// is written whole into the caller's buffer in the output format: YV12 planes Y, V, U without
// padding, YUY2 rows of 2 × width bytes, RGB rows as a bottom-up DIB (rows padded to 4 bytes)
// when the output height is positive.
//
// Pictures come out in display order, one per non-empty packet fed since the last key frame:
// a codec that reorders holds some back (kNoPicture) and hands them out with later packets,
// and Drain gives out the rest when no packet follows.
class Codec {
 public:
  virtual ~Codec() = default;

  // Whether the codec decompresses this input format.
  virtual bool Query(Format input) = 0;
  // Bytes of the output format block for this input.
  virtual uint32_t FormatSize(Format input) = 0;
  // Starts decompression from input into output; kBadFormat when it cannot produce the output.
  virtual int32_t Begin(Format input, Format output) = 0;
  // Feeds one packet (flags: kNotKeyFrame) and writes the next picture, if one is ready, to
  // picture. kOk when written, kNoPicture when none is ready yet, negative when a packet could
  // not be decoded (its picture will not come). A packet of 0 bytes feeds nothing.
  virtual int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, uint8_t* picture) = 0;
  // No packet follows: writes the next held picture; kNoPicture when none is left.
  virtual int32_t Drain(uint8_t* picture) = 0;
  // Forgets held pictures and references; the next packet starts from a key frame.
  virtual void Restart() = 0;
  // Ends decompression; Begin may follow.
  virtual void End() = 0;
};

// The codec manager: opens a decompressor for a four-character code.
class Registry {
 public:
  virtual ~Registry() = default;
  // The codec for handler (a stream header's handler or a format's compression code), or none.
  virtual std::unique_ptr<Codec> Open(uint32_t handler) = 0;
};

// The system's codecs: FFmpeg's decoders through its RIFF tag table.
Registry& SystemRegistry();

}  // namespace platform::codec
