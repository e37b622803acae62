#include "platform/codec/ffmpeg_codec.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include "platform/codec/output_format.h"
#include "platform/codec/riff_tags.h"

namespace platform::codec {

namespace {

// libavcodec's threads hand frames over through atomics of a library ThreadSanitizer does not
// see into, so a build under it decodes on the calling thread alone.
#if defined(__SANITIZE_THREAD__)
constexpr int kThreadCount = 1;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr int kThreadCount = 1;
#else
constexpr int kThreadCount = 0;
#endif
#else
constexpr int kThreadCount = 0;
#endif

// Decoders that may deliver RGB, judged by the format's bit depth while the pixel format is
// not known before the first picture.
bool MayBeRgb(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_RAWVIDEO:
    case AV_CODEC_ID_FFV1:
    case AV_CODEC_ID_HUFFYUV:
    case AV_CODEC_ID_FFVHUFF:
    case AV_CODEC_ID_UTVIDEO:
    case AV_CODEC_ID_PNG:
    case AV_CODEC_ID_MAGICYUV:
    case AV_CODEC_ID_MSRLE:
    case AV_CODEC_ID_MSVIDEO1:
    case AV_CODEC_ID_CSCD:
    case AV_CODEC_ID_ZLIB:
      return true;
    default:
      return false;
  }
}

}  // namespace

FfmpegCodec::FfmpegCodec(const AVCodec* decoder) : decoder_(decoder), packet_(av_packet_alloc()) {}

FfmpegCodec::~FfmpegCodec() = default;

bool FfmpegCodec::Query(Format input) {
  const riff::BitmapInfoHeader* header = HeaderOf(input);
  int32_t width = 0;
  int32_t height = 0;
  return header != nullptr && PictureSize(*header, &width, &height) &&
         CodecIdFor(header->compression) == decoder_->id;
}

uint32_t FfmpegCodec::FormatSize(Format) { return sizeof(riff::BitmapInfoHeader); }

bool FfmpegCodec::OpenContext(Format input) {
  if (context_ && input.size() == openedInput_.size() &&
      std::equal(input.begin(), input.end(), openedInput_.begin())) {
    return true;
  }
  context_.reset();
  openedInput_.clear();
  const riff::BitmapInfoHeader& header = *HeaderOf(input);
  std::unique_ptr<AVCodecContext, ContextFree> context(avcodec_alloc_context3(decoder_));
  if (!context) return false;
  int32_t width = 0;
  int32_t height = 0;
  PictureSize(header, &width, &height);
  context->width = width;
  context->height = height;
  context->codec_tag = header.compression;
  context->bits_per_coded_sample = header.bitCount;
  context->thread_count = kThreadCount;  // 0: as many as FFmpeg finds useful
  context->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
  const size_t extra = input.size() - sizeof(riff::BitmapInfoHeader);
  if (extra > 0) {
    context->extradata = static_cast<uint8_t*>(av_mallocz(extra + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context->extradata == nullptr) return false;
    std::memcpy(context->extradata, input.data() + sizeof(riff::BitmapInfoHeader), extra);
    context->extradata_size = static_cast<int>(extra);
  }
  if (avcodec_open2(context.get(), decoder_, nullptr) < 0) return false;
  context_ = std::move(context);
  openedInput_.assign(input.begin(), input.end());
  return true;
}

bool FfmpegCodec::NativeRgb() const {
  if (!context_) return false;
  if (context_->pix_fmt != AV_PIX_FMT_NONE) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(context_->pix_fmt);
    return descriptor != nullptr && (descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) != 0;
  }
  return MayBeRgb(decoder_->id) && context_->bits_per_coded_sample >= 24;
}

int32_t FfmpegCodec::Begin(Format input, Format output) {
  const riff::BitmapInfoHeader* in = HeaderOf(input);
  const riff::BitmapInfoHeader* out = HeaderOf(output);
  if (in == nullptr || out == nullptr || !Query(input)) return kBadFormat;
  int32_t width = 0;
  int32_t height = 0;
  int32_t outWidth = 0;
  int32_t outHeight = 0;
  if (!PictureSize(*in, &width, &height) || !PictureSize(*out, &outWidth, &outHeight) || width != outWidth ||
      height != outHeight) {
    return kBadFormat;
  }
  const OutputKind kind = KindOf(*out);
  if (kind == OutputKind::kNone || !OpenContext(input)) return kBadFormat;
  if (kind == OutputKind::kYv12 || kind == OutputKind::kYuy2) {
    // Chroma pairs need even sides; RGB pictures keep their colours only as RGB.
    if ((width | height) & 1 || NativeRgb()) return kBadFormat;
  }
  Restart();
  writer_.Configure(kind, width, height, out->height > 0);
  begun_ = true;
  return kOk;
}

void FfmpegCodec::Push(FramePtr frame) {
  if (queue_.size() >= kMaxQueued) queue_.pop_front();
  queue_.push_back(std::move(frame));
}

void FfmpegCodec::Collect() {
  // An error ends the pass: a decoder that keeps failing cannot hold the caller here.
  for (size_t pass = 0; pass < kMaxQueued; ++pass) {
    FramePtr frame = TakeFrame();
    if (!frame) return;
    const int result = avcodec_receive_frame(context_.get(), frame.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
      spare_ = std::move(frame);
      return;
    }
    if (result < 0) {
      spare_ = std::move(frame);
      Push(nullptr);
      return;
    }
    Push(std::move(frame));
  }
}

int32_t FfmpegCodec::Deliver(uint8_t* picture) {
  if (queue_.empty()) return kNoPicture;
  FramePtr frame = std::move(queue_.front());
  queue_.pop_front();
  if (!frame) return kError;
  const bool written = writer_.Write(*frame, picture);
  av_frame_unref(frame.get());
  spare_ = std::move(frame);
  return written ? kOk : kError;
}

FfmpegCodec::FramePtr FfmpegCodec::TakeFrame() {
  if (spare_) return std::move(spare_);
  return FramePtr(av_frame_alloc());
}

int32_t FfmpegCodec::Decompress(uint32_t flags, const uint8_t* data, uint32_t size, uint8_t* picture) {
  if (!begun_) return kError;
  if (data == nullptr || size == 0) return Deliver(picture);
  if (draining_) Restart();
  av_packet_unref(packet_.get());
  if (av_new_packet(packet_.get(), static_cast<int>(std::min<uint32_t>(size, INT32_MAX - 64))) < 0) {
    return kError;
  }
  std::memcpy(packet_->data, data, static_cast<size_t>(packet_->size));
  if ((flags & kNotKeyFrame) == 0) packet_->flags |= AV_PKT_FLAG_KEY;
  int result = avcodec_send_packet(context_.get(), packet_.get());
  if (result == AVERROR(EAGAIN)) {
    Collect();
    result = avcodec_send_packet(context_.get(), packet_.get());
  }
  // A packet the decoder refused will give no picture: its place in the queue says so.
  if (result < 0) Push(nullptr);
  Collect();
  return Deliver(picture);
}

int32_t FfmpegCodec::Drain(uint8_t* picture) {
  if (!begun_) return kError;
  if (!draining_) {
    avcodec_send_packet(context_.get(), nullptr);
    draining_ = true;
  }
  Collect();
  return Deliver(picture);
}

void FfmpegCodec::Restart() {
  if (context_) avcodec_flush_buffers(context_.get());
  queue_.clear();
  draining_ = false;
}

void FfmpegCodec::End() {
  Restart();
  begun_ = false;
}

}  // namespace platform::codec
