#pragma once

#include <cstdint>

#include "platform/acm/codec_choice.h"
#include "platform/ffmpeg/owners.h"
#include "riff/wave_format.h"

namespace platform::acm {

using ffmpeg::ContextPtr;
using ffmpeg::FramePtr;
using ffmpeg::PacketPtr;
using ffmpeg::ParserPtr;

// A context for the codec of `choice`, filled from the fields of `source`: its rate, channels,
// block size, bit rate, sample width and set-up bytes. Not opened; none without memory.
ContextPtr MakeContext(const CodecChoice& choice, const riff::WaveFormat& source);

// What both stream kinds decode with: an opened context, and one frame and packet reused for
// every call.
struct Decoder {
  ContextPtr context;
  FramePtr frame;
  PacketPtr packet;

  // Sends `size` bytes at `data` as one packet; false when the codec refuses it.
  bool Send(const uint8_t* data, uint32_t size);
  // Hands every frame the codec has ready to `take`, each let go after it.
  template <typename Take>
  void Receive(Take take) {
    while (avcodec_receive_frame(context.get(), frame.get()) == 0) {
      take(frame.get());
      av_frame_unref(frame.get());
    }
  }
};

// The codec for a stream from `source` to `destination`, which must be the PCM format
// SuggestFormat gives for it, and whose input framing must be `packets` or not: kOk with
// `choice` filled, or the result code.
int ChooseStreamCodec(const riff::WaveFormat* source, const riff::WaveFormat* destination, bool packets,
                      CodecChoice* choice);

// The decoder of `choice` opened on a context made by MakeContext; kOk or the result code.
int OpenDecoder(const CodecChoice& choice, const riff::WaveFormat& source, Decoder* decoder);

}  // namespace platform::acm
