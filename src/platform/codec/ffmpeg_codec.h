#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/codec/codec.h"
#include "platform/codec/frame_writer.h"
#include "platform/codec/packed_vops.h"
#include "platform/ffmpeg/owners.h"

namespace platform::codec {

// A libavcodec video decoder behind the codec interface. It decodes with FFmpeg's own
// threads; pictures it emits wait in a short queue until the caller takes them.
//
// Each packet goes in with its frame number as its time stamps. libavcodec gives a picture the
// decoding stamp of the packet it came out with, which is the picture's own frame plus the
// decoder's reorder delay, threads or not; the delay is taken off here. (The presentation
// stamp it hands back names the packet the picture was coded in, which is not its frame.)
// libavcodec skips the leading pictures of an open group after a flush.
class FfmpegCodec final : public Codec {
 public:
  // Pictures waiting beyond this are dropped, oldest first, so a decoder that emits more
  // pictures than it is fed cannot grow the queue without bound.
  static constexpr size_t kMaxQueued = 16;

  explicit FfmpegCodec(const AVCodec* decoder);
  ~FfmpegCodec() override;

  bool Query(Format input) override;
  uint32_t FormatSize(Format input) override;
  bool NeedsInspection(Format input) override;
  void Inspect(Format input, const uint8_t* data, uint32_t size) override;
  int32_t Begin(Format input, Format output) override;
  int32_t Decompress(uint32_t flags, const uint8_t* data, uint32_t size, int64_t frame) override;
  bool NextPicture(int64_t* frame) override;
  int32_t TakePicture(uint8_t* picture) override;
  int32_t Drain() override;
  void Restart() override;
  void End() override;
  std::string Failure() const override { return failure_; }

  // Whether the decoder's own pictures are RGB (then YV12 and YUY2 are not offered).
  bool NativeRgb() const;
  // Threads the decoder runs with, once begun.
  int ThreadCount() const { return context_ ? context_->thread_count : 0; }

 private:
  using FramePtr = ffmpeg::FramePtr;
  struct Ready {
    FramePtr frame;
    int64_t shownAt;
  };

  bool OpenContext(Format input);
  // The pixel format the pictures come in, as far as it is known.
  AVPixelFormat PictureFormat() const;
  // Copies `bytes` into the reused packet, with the decoder's padding; false without memory.
  bool LoadPacket(std::span<const uint8_t> bytes, bool key);
  // Sends one packet standing at `frame` and collects what comes out.
  int32_t Feed(std::span<const uint8_t> bytes, bool key, int64_t frame);
  int32_t Send(const AVPacket* packet);
  int32_t Collect();
  int32_t Fail(const char* what, int error);
  FramePtr TakeFrame();

  const AVCodec* decoder_;
  ffmpeg::ContextPtr context_;
  ffmpeg::PacketPtr packet_;
  std::vector<uint8_t> openedInput_;
  FrameWriter writer_;
  std::deque<Ready> queue_;
  // A frame kept for the next receive, so that steady decoding allocates none.
  FramePtr spare_;
  // MPEG-4 chunks are fed one VOP at a time; other codecs take them whole.
  PackedVopSplitter splitter_;
  bool unpack_ = false;
  // What the inspected key packet decoded to; none before an inspection.
  AVPixelFormat inspected_ = AV_PIX_FMT_NONE;
  bool begun_ = false;
  bool draining_ = false;
  // The frame of the last packet fed, and the decoding stamp of the last picture collected:
  // pictures drained without a stamp follow on from them.
  int64_t lastFed_ = -1;
  int64_t lastStamp_ = -1;
  std::string failure_;
};

}  // namespace platform::codec
