#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/codec/codec.h"
#include "platform/codec/frame_writer.h"

namespace platform::codec {

// A libavcodec video decoder behind the codec interface. It decodes with FFmpeg's own
// threads; pictures it emits wait in a short queue until the caller takes them, one a call.
class FfmpegCodec final : public Codec {
 public:
  // Pictures waiting beyond this are dropped, oldest first, so a decoder that emits more
  // pictures than it is fed cannot grow the queue without bound.
  static constexpr size_t kMaxQueued = 16;

  explicit FfmpegCodec(const AVCodec* decoder);
  ~FfmpegCodec() override;

  bool Query(Format input) override;
  uint32_t FormatSize(Format input) override;
  int32_t Begin(Format input, Format output) override;
  int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, uint8_t* picture) override;
  int32_t Drain(uint8_t* picture) override;
  void Restart() override;
  void End() override;

  // Whether the decoder's own pictures are RGB (then YV12 and YUY2 are not offered).
  bool NativeRgb() const;
  // Threads the decoder runs with, once begun.
  int ThreadCount() const { return context_ ? context_->thread_count : 0; }

 private:
  struct ContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
  };
  struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
  };
  struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
  };
  using FramePtr = std::unique_ptr<AVFrame, FrameFree>;

  bool OpenContext(Format input);
  void Collect();
  void Push(FramePtr frame);
  int32_t Deliver(uint8_t* picture);
  FramePtr TakeFrame();

  const AVCodec* decoder_;
  std::unique_ptr<AVCodecContext, ContextFree> context_;
  std::unique_ptr<AVPacket, PacketFree> packet_;
  std::vector<uint8_t> openedInput_;
  FrameWriter writer_;
  // Pictures in display order; an empty entry holds the place of one the decoder failed on.
  std::deque<FramePtr> queue_;
  // A frame kept for the next receive, so that steady decoding allocates none.
  FramePtr spare_;
  bool begun_ = false;
  bool draining_ = false;
};

}  // namespace platform::codec
