#include <cstring>
#include <mutex>

#include "color/line_doubling_kernel.h"
#include "color/packed444_to_rgb_kernel.h"
#include "color/rgb_to_packed444_kernel.h"
#include "color/rgb_to_yv12_kernel.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "color/yuy2_kernel.h"
#include "platform/system/system.h"
#include "video/dib_rows.h"
#include "video/padded_yv12.h"
#include "video/vcm_decoder.h"

namespace video {

namespace {

constexpr int32_t kModeLanczos = 1;
constexpr int32_t kModeFast = 2;

int32_t Milliseconds(int64_t ticks) {
  return static_cast<int32_t>(ticks * 1000 / platform::system::PerformanceFrequency());
}

}  // namespace

int32_t VCMDecoder::FieldOf(int64_t frame) const {
  if (!fieldPairs_) return 0;
  return ((fieldMode_ + frame - 1) & 1) == 0 ? 1 : 2;
}

bool VCMDecoder::WriteRgb(uint8_t* destination, ptrdiff_t pitch) {
  const auto& output = *reinterpret_cast<const riff::BitmapInfoHeader*>(outputFormat_.data());
  switch (kind_) {
    case kKindDib:
    case kKindRgb:
    case kKindRgbToYv12:
      return ExpandDib(bufferA_.data(), output.bitCount, width_, height_, output.height > 0, destination,
                       pitch);
    case kKindYv12:
    case kKindRawYv12:
      return color::ConvertYv12Standard(bufferA_.data(), destination, width_, height_, pitch, 0, false, 0);
    case kKindYuy2:
      return ConvertYuy2Picture(destination, pitch);
    default:
      return false;
  }
}

void VCMDecoder::ConvertRgbSource(uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset, bool dcc,
                                  int32_t mode, bool playback) {
  const ptrdiff_t rowBytes = 4 * static_cast<ptrdiff_t>(width_);
  const auto& output = *reinterpret_cast<const riff::BitmapInfoHeader*>(outputFormat_.data());
  if (!ExpandDib(bufferA_.data(), output.bitCount, width_, height_, output.height > 0, bufferB_.data(),
                 rowBytes)) {
    return;
  }
  if (kind_ == kKindRgb) {
    if (color::ConvertRgbToPacked444(bufferB_.data(), rowBytes, bufferC_.data(), width_, height_)) {
      color::ConvertPacked444ToRgb(bufferC_.data(), destination, width_, height_, pitch, ycOffset);
    }
    return;
  }
  if (!color::ConvertRgbToYv12(bufferB_.data(), rowBytes, bufferC_.data(), width_, height_)) return;
  if (playback || (mode != kModeLanczos && mode != kModeFast)) {
    color::ConvertYv12Standard(bufferC_.data(), destination, width_, height_, pitch, ycOffset, dcc, 0);
  } else if (mode == kModeLanczos) {
    color::ConvertYv12Lanczos(bufferC_.data(), destination, width_, height_, pitch, ycOffset, dcc, 0);
  } else {
    color::ConvertYv12Fast(bufferC_.data(), destination, width_, height_, pitch, ycOffset, dcc, 0);
  }
}

bool VCMDecoder::ConvertNormal(const uint8_t* source, uint8_t* destination, ptrdiff_t pitch, int32_t field) {
  const int32_t padded = scale::NormalQualityConverter::PaddedWidth(width_);
  if (padded != width_) {
    PadYv12(source, width_, height_, padded, paddedPicture_.data());
    source = paddedPicture_.data();
  }
  // The frame processor writes whole padded rows; a narrower destination gets them copied.
  const bool direct = pitch / 4 >= padded;
  uint8_t* target = direct ? destination : wideRows_.data();
  const ptrdiff_t targetPitch = direct ? pitch : 4 * static_cast<ptrdiff_t>(padded);
  bool converted = false;
  if (frameProcessorLock_ != nullptr) {
    std::lock_guard<common::Lock> hold(*frameProcessorLock_);
    converted = frameProcessor_->Convert(source, target, width_, height_, targetPitch, field);
  } else {
    converted = frameProcessor_->Convert(source, target, width_, height_, targetPitch, field);
  }
  if (converted && !direct) {
    const int32_t rows = field != 0 ? 2 * height_ : height_;
    for (int32_t y = 0; y < rows; ++y) {
      std::memcpy(destination + y * pitch, target + y * targetPitch, 4 * static_cast<size_t>(width_));
    }
  }
  return converted;
}

void VCMDecoder::ConvertYv12(const uint8_t* source, uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset,
                             bool dcc, int32_t mode, int32_t field) {
  if (mode == kModeLanczos) {
    color::ConvertYv12Lanczos(source, destination, width_, height_, pitch, ycOffset, dcc, field);
  } else if (mode == kModeFast) {
    color::ConvertYv12Fast(source, destination, width_, height_, pitch, ycOffset, dcc, field);
  } else if (frameProcessor_ != nullptr) {
    ConvertNormal(source, destination, pitch, field);
  } else {
    color::ConvertYv12Standard(source, destination, width_, height_, pitch, ycOffset, dcc, field);
  }
}

int32_t VCMDecoder::DecodeForPlayback(int32_t frame, uint8_t* destination, DecodedPicture* record,
                                      int32_t* readMs, int32_t* decodeMs) {
  SeekTimes times;
  bool codecError = false;
  // Raw and codec YV12 pictures go straight into the destination, the one copy they need.
  const bool direct = kind_ == kKindRawYv12 || kind_ == kKindYv12;
  const int32_t result = Seek(frame, &times, &codecError, direct ? destination : nullptr);
  if (readMs != nullptr) *readMs = Milliseconds(times.readTicks);
  if (decodeMs != nullptr) *decodeMs = Milliseconds(times.decodeTicks);
  if (result == kFailed || !hasPicture_) return result;

  const ptrdiff_t pitch = 4 * static_cast<ptrdiff_t>(width_);
  record->width = width_;
  record->height = height_;
  record->format = 0;
  record->bits = 32;
  record->field = 0;
  switch (kind_) {
    case kKindDib:
      if (!WriteRgb(destination, pitch)) return kFailed;
      break;
    case kKindRawYv12:
      record->format = kFormatYv12;
      record->bits = 12;
      record->field = FieldOf(frame);
      break;
    case kKindYv12:
      Notify(kEventPicture);
      record->format = kFormatYv12;
      record->bits = 12;
      record->field = FieldOf(frame);
      // Without a new picture the previous one stands, which is in A unless it too went to a
      // caller's buffer.
      if (lastWrite_ != WriteState::kWritten && !pictureElsewhere_) {
        std::memcpy(destination, bufferA_.data(), OutputSize());
      }
      break;
    case kKindYuy2:
      ConvertYuy2Picture(destination, pitch);
      break;
    default:
      ConvertRgbSource(destination, pitch, 0, false, 0, true);
      break;
  }
  return result;
}

bool VCMDecoder::ConvertYuy2Picture(uint8_t* destination, ptrdiff_t pitch) const {
  return color::ConvertYuy2(bufferA_.data(), 2 * static_cast<ptrdiff_t>(width_), destination, pitch, width_,
                            height_);
}

int32_t VCMDecoder::DecodeConverted(int32_t frame, uint8_t* destination, ptrdiff_t pitch, int32_t ycOffset,
                                    bool dcc, int32_t mode) {
  if (kind_ == kKindUnusable) return kFailed;
  int64_t picture = frame;
  int32_t field = 0;
  if (stackedFields_) {
    const int32_t parity = (frame & 1) ^ (bottomFieldFirst_ ? 1 : 0);
    field = parity + 1;
    picture = frame >> 1;
    if (picture >= 0 && picture == fieldBufferFrame_) {
      color::DoubleStackedField(fieldBuffer_.data(), 4 * static_cast<ptrdiff_t>(width_), destination, pitch,
                                width_, height_, field);
      return kDecoded;
    }
  }
  SeekTimes times;
  bool codecError = false;
  const int32_t result = Seek(picture, &times, &codecError);
  if (result == kFailed || !hasPicture_) return result;

  switch (kind_) {
    case kKindYv12:
    case kKindRawYv12: {
      if (kind_ == kKindYv12) Notify(kEventPicture);
      uint8_t* target = stackedFields_ ? fieldBuffer_.data() : destination;
      const ptrdiff_t targetPitch = stackedFields_ ? 4 * static_cast<ptrdiff_t>(width_) : pitch;
      ConvertYv12(bufferA_.data(), target, targetPitch, ycOffset, dcc, mode, FieldOf(picture));
      break;
    }
    case kKindDib:
      if (!WriteRgb(destination, pitch)) return kFailed;
      break;
    case kKindYuy2:
      ConvertYuy2Picture(destination, pitch);
      break;
    default:
      ConvertRgbSource(destination, pitch, ycOffset, kind_ == kKindRgbToYv12 && dcc, mode, false);
      break;
  }
  if (stackedFields_) {
    color::DoubleStackedField(fieldBuffer_.data(), 4 * static_cast<ptrdiff_t>(width_), destination, pitch,
                              width_, height_, field);
    fieldBufferFrame_ = picture;
  }
  return result;
}

int32_t VCMDecoder::DecodeToRgb(int32_t frame, uint8_t* destination) {
  SeekTimes times;
  bool codecError = false;
  const int32_t result = Seek(frame, &times, &codecError);
  if (result == kFailed || (codecError && pictureFrame_ != frame)) return kFailed;
  if (!hasPicture_) return result;
  return WriteRgb(destination, 4 * static_cast<ptrdiff_t>(width_)) ? result : kFailed;
}

int32_t VCMDecoder::DecodeFirstTo(uint8_t* destination) { return DecodeToRgb(0, destination); }

int32_t VCMDecoder::DecodeSingle(int64_t frame, bool timed) {
  SeekTimes times;
  bool codecError = false;
  const int32_t result = Seek(frame, &times, &codecError);
  if (timed) {
    decodeSeconds_ += static_cast<double>(times.totalDecodeTicks) /
                      static_cast<double>(platform::system::PerformanceFrequency());
  }
  // A failure counts only when it cost the frame its own picture.
  return codecError && pictureFrame_ != frame ? kFailed : result;
}

int32_t VCMDecoder::DecodeFirst() { return DecodeSingle(0, false); }

int32_t VCMDecoder::DecodeNext() {
  if (kind_ == kKindUnusable || lastDecoded_ + 1 >= static_cast<int64_t>(table_->Count())) return kFailed;
  return DecodeSingle(lastDecoded_ + 1, false);
}

int32_t VCMDecoder::DecodeTimed(int32_t frame) { return DecodeSingle(frame, true); }

}  // namespace video
