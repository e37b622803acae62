#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/acm/codec_choice.h"
#include "riff/wave_format.h"

namespace platform::acm {

struct ContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, ContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// A context for the codec of `choice`, filled from the fields of `source`: its rate, channels,
// block size, bit rate, sample width and set-up bytes. Not opened; none without memory.
ContextPtr MakeContext(const CodecChoice& choice, const riff::WaveFormat& source);

// The decoder of `choice` opened on a context made by MakeContext; kOk or the result code.
int OpenDecoder(const CodecChoice& choice, const riff::WaveFormat& source, ContextPtr* context);

}  // namespace platform::acm
