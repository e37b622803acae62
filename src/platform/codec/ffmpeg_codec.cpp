#include "platform/codec/ffmpeg_codec.h"

#include <algorithm>
#include <cstring>
#include <span>

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include "platform/codec/output_format.h"
#include "platform/codec/riff_tags.h"
#include "riff/fourcc.h"

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

std::string ErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof(text));
  return text;
}

}  // namespace

FfmpegCodec::FfmpegCodec(const AVCodec* decoder)
    : decoder_(decoder), packet_(av_packet_alloc()), unpack_(decoder->id == AV_CODEC_ID_MPEG4) {}

FfmpegCodec::~FfmpegCodec() = default;

bool FfmpegCodec::Query(Format input) {
  const riff::BitmapInfoHeader* header = HeaderOf(input);
  int32_t width = 0;
  int32_t height = 0;
  if (header == nullptr || !PictureSize(*header, &width, &height)) {
    failure_ = "the format has no picture size within the limits";
    return false;
  }
  if (CodecIdFor(header->compression) != decoder_->id) {
    failure_ = "'" + riff::FourccText(header->compression) + "' pictures are not for the " + decoder_->name +
               " decoder";
    return false;
  }
  return true;
}

uint32_t FfmpegCodec::FormatSize(Format) { return sizeof(riff::BitmapInfoHeader); }

bool FfmpegCodec::OpenContext(Format input) {
  if (context_ && input.size() == openedInput_.size() &&
      std::equal(input.begin(), input.end(), openedInput_.begin())) {
    return true;
  }
  context_.reset();
  openedInput_.clear();
  inspected_ = AV_PIX_FMT_NONE;
  const riff::BitmapInfoHeader& header = *HeaderOf(input);
  ffmpeg::ContextPtr context(avcodec_alloc_context3(decoder_));
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
  const int opened = avcodec_open2(context.get(), decoder_, nullptr);
  if (opened < 0) {
    failure_ = std::string("the ") + decoder_->name + " decoder does not open: " + ErrorText(opened);
    return false;
  }
  context_ = std::move(context);
  openedInput_.assign(input.begin(), input.end());
  return true;
}

bool FfmpegCodec::NeedsInspection(Format input) {
  // Only codecs that may deliver either kind leave the choice open.
  return Query(input) && OpenContext(input) && context_->pix_fmt == AV_PIX_FMT_NONE && MayBeRgb(decoder_->id);
}

void FfmpegCodec::Inspect(Format input, const uint8_t* data, uint32_t size) {
  if (data == nullptr || size == 0 || !NeedsInspection(input)) return;
  if (!LoadPacket({data, size}, true)) return;
  avcodec_send_packet(context_.get(), packet_.get());
  avcodec_send_packet(context_.get(), nullptr);
  FramePtr frame = TakeFrame();
  while (frame && avcodec_receive_frame(context_.get(), frame.get()) == 0) {
    if (inspected_ == AV_PIX_FMT_NONE) inspected_ = static_cast<AVPixelFormat>(frame->format);
    av_frame_unref(frame.get());
  }
  spare_ = std::move(frame);
  avcodec_flush_buffers(context_.get());
}

AVPixelFormat FfmpegCodec::PictureFormat() const {
  return inspected_ != AV_PIX_FMT_NONE ? inspected_ : context_->pix_fmt;
}

bool FfmpegCodec::NativeRgb() const {
  if (!context_) return false;
  if (PictureFormat() != AV_PIX_FMT_NONE) {
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(PictureFormat());
    return descriptor != nullptr && (descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) != 0;
  }
  return MayBeRgb(decoder_->id) && context_->bits_per_coded_sample >= 24;
}

int32_t FfmpegCodec::Begin(Format input, Format output) {
  const riff::BitmapInfoHeader* in = HeaderOf(input);
  const riff::BitmapInfoHeader* out = HeaderOf(output);
  if (in == nullptr || out == nullptr) {
    failure_ = "a format is shorter than its header";
    return kBadFormat;
  }
  if (!Query(input)) return kBadFormat;
  int32_t width = 0;
  int32_t height = 0;
  int32_t outWidth = 0;
  int32_t outHeight = 0;
  if (!PictureSize(*in, &width, &height) || !PictureSize(*out, &outWidth, &outHeight) || width != outWidth ||
      height != outHeight) {
    failure_ = "the output is not the size of the pictures";
    return kBadFormat;
  }
  const OutputKind kind = KindOf(*out);
  if (kind == OutputKind::kNone) {
    failure_ = "'" + riff::FourccText(out->compression) + "' at " + std::to_string(out->bitCount) +
               " bits is no output";
    return kBadFormat;
  }
  if (!OpenContext(input)) return kBadFormat;
  if (kind == OutputKind::kYv12 || kind == OutputKind::kYuy2) {
    // Chroma pairs need even sides; RGB pictures keep their colours only as RGB.
    if ((width | height) & 1) {
      failure_ = "Y'CbCr output needs even sides";
      return kBadFormat;
    }
    if (NativeRgb()) {
      const char* name = av_get_pix_fmt_name(PictureFormat());
      failure_ = std::string("the pictures are RGB (") + (name != nullptr ? name : "by their depth") +
                 ") and keep their colours only as RGB";
      return kBadFormat;
    }
  }
  Restart();
  writer_.Configure(kind, width, height, out->height > 0);
  begun_ = true;
  failure_.clear();
  return kOk;
}

int32_t FfmpegCodec::Fail(const char* what, int error) {
  failure_ = std::string(what) + ": " + ErrorText(error);
  return kError;
}

FfmpegCodec::FramePtr FfmpegCodec::TakeFrame() {
  if (spare_) return std::move(spare_);
  return FramePtr(av_frame_alloc());
}

int32_t FfmpegCodec::Collect() {
  // An error ends the pass: a decoder that keeps failing cannot hold the caller here.
  for (size_t pass = 0; pass < kMaxQueued; ++pass) {
    FramePtr frame = TakeFrame();
    if (!frame) return Fail("no memory for a picture", AVERROR(ENOMEM));
    const int result = avcodec_receive_frame(context_.get(), frame.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
      spare_ = std::move(frame);
      return kOk;
    }
    if (result < 0) {
      spare_ = std::move(frame);
      return Fail("a picture could not be decoded", result);
    }
    // Pictures held to the end come out without a stamp; they follow on, one frame each.
    const int64_t stamp =
        frame->pkt_dts != AV_NOPTS_VALUE ? frame->pkt_dts : std::max(lastStamp_, lastFed_) + 1;
    lastStamp_ = stamp;
    if (queue_.size() >= kMaxQueued) queue_.pop_front();
    queue_.push_back(Ready{std::move(frame), stamp - context_->has_b_frames});
  }
  return kOk;
}

int32_t FfmpegCodec::Send(const AVPacket* packet) {
  int result = avcodec_send_packet(context_.get(), packet);
  int32_t status = kOk;
  if (result == AVERROR(EAGAIN)) {
    status = Collect();
    result = avcodec_send_packet(context_.get(), packet);
  }
  if (result < 0 && result != AVERROR_EOF) status = Fail("the packet could not be decoded", result);
  const int32_t collected = Collect();
  return status != kOk ? status : collected;
}

bool FfmpegCodec::LoadPacket(std::span<const uint8_t> bytes, bool key) {
  av_packet_unref(packet_.get());
  if (av_new_packet(packet_.get(), static_cast<int>(std::min<size_t>(bytes.size(), INT32_MAX - 64))) < 0) {
    return false;
  }
  std::memcpy(packet_->data, bytes.data(), static_cast<size_t>(packet_->size));
  if (key) packet_->flags |= AV_PKT_FLAG_KEY;
  return true;
}

int32_t FfmpegCodec::Feed(std::span<const uint8_t> bytes, bool key, int64_t frame) {
  if (!LoadPacket(bytes, key)) return Fail("no memory for the packet", AVERROR(ENOMEM));
  packet_->pts = frame;
  packet_->dts = frame;
  lastFed_ = frame;
  return Send(packet_.get());
}

int32_t FfmpegCodec::Decompress(uint32_t flags, const uint8_t* data, uint32_t size, int64_t frame) {
  if (!begun_) {
    failure_ = "decompression has not begun";
    return kError;
  }
  if (draining_) Restart();
  std::span<const uint8_t> bytes(data, data != nullptr ? size : 0);
  if (unpack_) bytes = splitter_.Next(bytes);
  return bytes.empty() ? kOk : Feed(bytes, (flags & kNotKeyFrame) == 0, frame);
}

bool FfmpegCodec::NextPicture(int64_t* frame) {
  if (queue_.empty()) return false;
  *frame = queue_.front().shownAt;
  return true;
}

int32_t FfmpegCodec::TakePicture(uint8_t* picture) {
  if (queue_.empty()) return kNoPicture;
  FramePtr frame = std::move(queue_.front().frame);
  queue_.pop_front();
  const bool written = writer_.Write(*frame, picture);
  av_frame_unref(frame.get());
  spare_ = std::move(frame);
  if (!written) {
    failure_ = "the picture could not be converted to the output format";
    return kError;
  }
  return kOk;
}

int32_t FfmpegCodec::Drain() {
  if (!begun_) {
    failure_ = "decompression has not begun";
    return kError;
  }
  if (draining_) return Collect();
  int32_t status = kOk;
  // A packed VOP still waiting stands in the slot after the last chunk.
  const std::span<const uint8_t> waiting = unpack_ ? splitter_.Flush() : std::span<const uint8_t>();
  if (!waiting.empty()) status = Feed(waiting, false, lastFed_ + 1);
  draining_ = true;
  const int32_t sent = Send(nullptr);
  return status != kOk ? status : sent;
}

void FfmpegCodec::Restart() {
  if (context_) avcodec_flush_buffers(context_.get());
  queue_.clear();
  splitter_.Reset();
  draining_ = false;
  lastFed_ = -1;
  lastStamp_ = -1;
}

void FfmpegCodec::End() {
  Restart();
  begun_ = false;
}

}  // namespace platform::codec
