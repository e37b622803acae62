#include "platform/codec/frame_writer.h"

#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace platform::codec {

namespace {

// Row alignment of the scaler's own picture.
constexpr size_t kAlign = 64;

AVPixelFormat ScaledFormat(OutputKind kind) {
  switch (kind) {
    case OutputKind::kYv12:
      return AV_PIX_FMT_YUV420P;
    case OutputKind::kYuy2:
      return AV_PIX_FMT_YUYV422;
    case OutputKind::kRgb32:
      return AV_PIX_FMT_BGRA;
    case OutputKind::kRgb24:
      return AV_PIX_FMT_BGR24;
    case OutputKind::kNone:
      break;
  }
  return AV_PIX_FMT_NONE;
}

// The full-range formats as their plain layouts: libswscale wants the range given apart.
AVPixelFormat PlainLayout(int format) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      return AV_PIX_FMT_YUV411P;
    default:
      return static_cast<AVPixelFormat>(format);
  }
}

bool FullRange(const AVFrame& frame) {
  switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P:
    case AV_PIX_FMT_YUVJ440P:
    case AV_PIX_FMT_YUVJ411P:
      return true;
    default:
      return frame.color_range == AVCOL_RANGE_JPEG;
  }
}

void CopyPlane(const uint8_t* source, int sourcePitch, uint8_t* destination, size_t width, int rows) {
  for (int y = 0; y < rows; ++y) {
    std::memcpy(destination + y * width, source + static_cast<ptrdiff_t>(y) * sourcePitch, width);
  }
}

}  // namespace

FrameWriter::~FrameWriter() { sws_freeContext(scaler_); }

void FrameWriter::Configure(OutputKind kind, int32_t width, int32_t height, bool bottomUp) {
  kind_ = kind;
  width_ = width;
  height_ = height;
  bottomUp_ = bottomUp;
  sourceFormat_ = -1;
}

bool FrameWriter::Write(const AVFrame& frame, uint8_t* picture) {
  if (kind_ == OutputKind::kNone || frame.width < 1 || frame.height < 1) return false;
  if (kind_ == OutputKind::kYv12 && frame.format == AV_PIX_FMT_YUV420P && !FullRange(frame) &&
      frame.width == width_ && frame.height == height_) {
    const size_t w = static_cast<size_t>(width_);
    const size_t area = w * static_cast<size_t>(height_);
    const size_t chroma = (w / 2) * static_cast<size_t>(height_ / 2);
    CopyPlane(frame.data[0], frame.linesize[0], picture, w, height_);
    CopyPlane(frame.data[2], frame.linesize[2], picture + area, w / 2, height_ / 2);
    CopyPlane(frame.data[1], frame.linesize[1], picture + area + chroma, w / 2, height_ / 2);
    return true;
  }
  return Scale(frame, picture);
}

bool FrameWriter::Scale(const AVFrame& frame, uint8_t* picture) {
  const AVPixelFormat target = ScaledFormat(kind_);
  const int range = FullRange(frame) ? 1 : 0;
  const int space = frame.colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
  if (scaler_ == nullptr || frame.format != sourceFormat_ || frame.width != sourceWidth_ ||
      frame.height != sourceHeight_ || range != sourceRange_ || space != sourceSpace_) {
    // The ranges are set before the scaler is initialised so that it picks a path that
    // converts them (a plain copy otherwise).
    sws_freeContext(scaler_);
    scaler_ = sws_alloc_context();
    if (scaler_ == nullptr) return false;
    av_opt_set_int(scaler_, "srcw", frame.width, 0);
    av_opt_set_int(scaler_, "srch", frame.height, 0);
    av_opt_set_int(scaler_, "src_format", PlainLayout(frame.format), 0);
    av_opt_set_int(scaler_, "dstw", width_, 0);
    av_opt_set_int(scaler_, "dsth", height_, 0);
    av_opt_set_int(scaler_, "dst_format", target, 0);
    av_opt_set_int(scaler_, "sws_flags", SWS_BICUBIC | SWS_ACCURATE_RND, 0);
    av_opt_set_int(scaler_, "src_range", range, 0);
    av_opt_set_int(scaler_, "dst_range", 0, 0);
    if (sws_init_context(scaler_, nullptr, nullptr) < 0) {
      sws_freeContext(scaler_);
      scaler_ = nullptr;
      return false;
    }
    // YUV output stays video range; RGB output is full range as always.
    sws_setColorspaceDetails(scaler_, sws_getCoefficients(space), range, sws_getCoefficients(space), 0, 0,
                             1 << 16, 1 << 16);
    sourceFormat_ = frame.format;
    sourceWidth_ = frame.width;
    sourceHeight_ = frame.height;
    sourceRange_ = range;
    sourceSpace_ = space;
  }

  // libswscale may write past the end of a row, so it writes into aligned rows of its own
  // and the rows are copied out.
  const size_t w = static_cast<size_t>(width_);
  const size_t h = static_cast<size_t>(height_);
  uint8_t* planes[4] = {};
  int pitches[4] = {};
  if (kind_ == OutputKind::kYv12) {
    const size_t lumaPitch = (w + kAlign - 1) & ~(kAlign - 1);
    const size_t chromaPitch = (w / 2 + kAlign - 1) & ~(kAlign - 1);
    scratch_.resize(lumaPitch * h + 2 * chromaPitch * (h / 2) + kAlign);
    planes[0] = scratch_.data();
    planes[1] = planes[0] + lumaPitch * h;
    planes[2] = planes[1] + chromaPitch * (h / 2);
    pitches[0] = static_cast<int>(lumaPitch);
    pitches[1] = pitches[2] = static_cast<int>(chromaPitch);
    if (sws_scale(scaler_, frame.data, frame.linesize, 0, frame.height, planes, pitches) <= 0) return false;
    const size_t area = w * h;
    const size_t chroma = (w / 2) * (h / 2);
    CopyPlane(planes[0], pitches[0], picture, w, height_);
    CopyPlane(planes[2], pitches[2], picture + area, w / 2, height_ / 2);
    CopyPlane(planes[1], pitches[1], picture + area + chroma, w / 2, height_ / 2);
    return true;
  }
  const size_t row = RowBytes(kind_, width_);
  const size_t pitch = (row + kAlign - 1) & ~(kAlign - 1);
  scratch_.resize(pitch * h + kAlign);
  planes[0] = scratch_.data();
  pitches[0] = static_cast<int>(pitch);
  if (sws_scale(scaler_, frame.data, frame.linesize, 0, frame.height, planes, pitches) <= 0) return false;
  const bool flip = bottomUp_ && (kind_ == OutputKind::kRgb32 || kind_ == OutputKind::kRgb24);
  for (size_t y = 0; y < h; ++y) {
    std::memcpy(picture + row * (flip ? h - 1 - y : y), planes[0] + pitch * y, row);
  }
  return true;
}

}  // namespace platform::codec
