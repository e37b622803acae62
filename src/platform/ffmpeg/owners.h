#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace platform::ffmpeg {

// Owners of libavcodec's objects, each freed by the call libavcodec pairs with its allocation.
struct ContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ParserClose {
  void operator()(AVCodecParserContext* parser) const { av_parser_close(parser); }
};
using ContextPtr = std::unique_ptr<AVCodecContext, ContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserClose>;

}  // namespace platform::ffmpeg
