#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform::codec {

// Results of the codec calls. The numbers are the ones callers of a codec manager test for.
inline constexpr int32_t kOk = 0;
// No picture is ready.
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
// Every packet is fed with its frame number, and every picture comes out in display order
// stamped with the frame it shows at: a codec that reorders holds some pictures back and hands
// them out after later packets, and Drain gives out the rest when no packet follows. After a
// restart, pictures shown before the key frame's own (B-frames of an open group, which need
// the pictures before the key frame) give none: the caller decodes them from an earlier key.
class Codec {
 public:
  virtual ~Codec() = default;

  // Whether the codec decompresses this input format.
  virtual bool Query(Format input) = 0;
  // Bytes of the output format block for this input.
  virtual uint32_t FormatSize(Format input) = 0;
  // Whether the input format alone leaves the codec's pictures open (a lossless codec may
  // carry RGB or Y'CbCr under the same header), so that a key packet is to be inspected.
  virtual bool NeedsInspection(Format input) = 0;
  // Decodes one key packet of such a stream, so that Begin offers the outputs that keep its
  // pictures exact. Nothing of the packet is kept.
  virtual void Inspect(Format input, const uint8_t* data, uint32_t size) = 0;
  // Starts decompression from input into output; kBadFormat when it cannot produce the output.
  virtual int32_t Begin(Format input, Format output) = 0;
  // Feeds one packet (flags: kNotKeyFrame) standing at `frame`. kOk when taken, negative when
  // it or a picture before it could not be decoded (that picture will not come). Packets of
  // 0 bytes are passed on too: in a packed stream a held picture takes their place.
  virtual int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, int64_t frame) = 0;
  // The frame of the next ready picture; false when none is ready.
  virtual bool NextPicture(int64_t* frame) = 0;
  // Writes the next ready picture to `picture` and lets go of it. kOk, kNoPicture when none is
  // ready, kError when it cannot be written (it is let go all the same).
  virtual int32_t TakePicture(uint8_t* picture) = 0;
  // No packet follows: the held pictures become ready. Negative when one could not be decoded.
  virtual int32_t Drain() = 0;
  // Forgets held pictures and references; the next packet starts from a key frame.
  virtual void Restart() = 0;
  // Ends decompression; Begin may follow.
  virtual void End() = 0;
  // Why the last refusal or failure happened, in a few words; a Begin that succeeds clears it.
  virtual std::string Failure() const = 0;
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
