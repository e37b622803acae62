#include "scale/lanczos_resizer.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>

#include "common/mul_div.h"
#include "scale/scale_dsp.h"

namespace Media {
namespace {

// Sizes beyond these are refused rather than allocated for: no surface is that large, and the
// intermediate picture (source width × destination height) would otherwise be unbounded.
constexpr int32_t kMaxSide = 1 << 16;
constexpr int64_t kMaxIntermediatePixels = int64_t{1} << 27;

bool Acceptable(int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, int32_t dstWidth, int32_t dstHeight) {
  if (srcWidth < 1 || srcHeight < 1 || std::max({srcWidth, srcHeight, dstWidth, dstHeight}) > kMaxSide) {
    return false;
  }
  // Vertical offsets are source rows × pitch in 32 bits.
  const int64_t lastRow = int64_t{srcHeight - 1} * std::abs(int64_t{srcPitch});
  const int64_t intermediate = int64_t{srcWidth} * std::max(srcHeight, dstHeight);
  return lastRow <= std::numeric_limits<int32_t>::max() && intermediate <= kMaxIntermediatePixels;
}

}  // namespace

LanczosResizerH8_8::LanczosResizerH8_8(int32_t lobes, int workers)
    : taps_(2 * std::clamp(lobes, int32_t{1}, kMaxLobes)),
      passes_(scale::ScaleDspTable::Get().lanczos),
      horizontal_(taps_),
      vertical_(taps_) {
  workers = std::max(workers, 1);
  records_.resize(static_cast<size_t>(workers));
  pool_.Start(workers, kQuit, [this](int index, int32_t state) { return RunJob(index, state); });
}

LanczosResizerH8_8::~LanczosResizerH8_8() { pool_.Stop(); }

void LanczosResizerH8_8::Resize(const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight,
                                uint8_t* dst, int32_t dstPitch, int32_t dstWidth, int32_t dstHeight) {
  if (dstWidth < 16 || dstHeight < 16 || !Acceptable(srcPitch, srcWidth, srcHeight, dstWidth, dstHeight)) {
    return;
  }
  if (srcWidth == dstWidth && srcHeight == dstHeight) {
    for (int32_t y = 0; y < srcHeight; ++y) {
      std::memcpy(dst + static_cast<ptrdiff_t>(y) * dstPitch, src + static_cast<ptrdiff_t>(y) * srcPitch,
                  static_cast<size_t>(srcWidth) * 4);
    }
    return;
  }
  std::lock_guard<common::Lock> guard(lock_);
  const int32_t bufferPitch = srcWidth * 8;
  if (srcWidth == dstWidth) {
    const LanczosCoefficients& v = vertical_.Get(srcHeight, dstHeight, srcPitch);
    uint8_t* buffer = Intermediate(srcWidth, dstHeight);
    Dispatch(passes_.vertical,
             {src, buffer, srcWidth, 0, v.taps, v.offsets.data(), v.weights.data(), srcPitch, bufferPitch},
             dstHeight, true);
    Dispatch(passes_.narrowing, {buffer, dst, srcWidth, 0, 0, nullptr, nullptr, bufferPitch, dstPitch},
             dstHeight, false);
  } else if (srcHeight == dstHeight) {
    const LanczosCoefficients& h = horizontal_.Get(srcWidth, dstWidth, 8);
    uint8_t* buffer = Intermediate(srcWidth, srcHeight);
    Dispatch(passes_.widening, {src, buffer, srcWidth, 0, 0, nullptr, nullptr, srcPitch, bufferPitch},
             srcHeight, false);
    Dispatch(passes_.horizontal,
             {buffer, dst, dstWidth, 0, h.taps, h.offsets.data(), h.weights.data(), bufferPitch, dstPitch},
             srcHeight, false);
  } else {
    const LanczosCoefficients& h = horizontal_.Get(srcWidth, dstWidth, 8);
    const LanczosCoefficients& v = vertical_.Get(srcHeight, dstHeight, srcPitch);
    uint8_t* buffer = Intermediate(srcWidth, dstHeight);
    Dispatch(passes_.vertical,
             {src, buffer, srcWidth, 0, v.taps, v.offsets.data(), v.weights.data(), srcPitch, bufferPitch},
             dstHeight, true);
    Dispatch(passes_.horizontal,
             {buffer, dst, dstWidth, 0, h.taps, h.offsets.data(), h.weights.data(), bufferPitch, dstPitch},
             dstHeight, false);
  }
}

void LanczosResizerH8_8::Dispatch(LanczosPass pass, const LanczosJob& job, int32_t rows, bool perRowTaps) {
  pass_ = pass;
  const int32_t count = pool_.Size();
  for (int32_t k = count - 1; k >= 0; --k) {
    const int32_t first = common::MulDiv(k, rows, count);
    const int32_t last = common::MulDiv(k + 1, rows, count);
    // With more workers than rows some bands are empty; those workers sit the pass out.
    if (first == last) {
      continue;
    }
    LanczosJob& record = records_[static_cast<size_t>(k)];
    record = job;
    record.rows = last - first;
    record.dst = job.dst + static_cast<ptrdiff_t>(first) * job.dstPitch;
    if (perRowTaps) {
      record.index = job.index + static_cast<ptrdiff_t>(first) * job.taps;
      record.weights = job.weights + static_cast<ptrdiff_t>(first) * job.taps * 4;
    } else {
      record.src = job.src + static_cast<ptrdiff_t>(first) * job.srcPitch;
    }
    pool_.Post(k, kPosted);
  }
  pool_.WaitWhileAny(kPosted);
}

int32_t LanczosResizerH8_8::RunJob(int index, int32_t state) {
  if (state != kPosted) return -1;
  pass_(records_[static_cast<size_t>(index)]);
  return kDone;
}

uint8_t* LanczosResizerH8_8::Intermediate(int32_t width, int32_t height) {
  if (width != bufferWidth_ || height != bufferHeight_) {
    buffer_.reset();
    buffer_ = std::make_unique_for_overwrite<int16_t[]>(static_cast<size_t>(width) * height * 4);
    bufferWidth_ = width;
    bufferHeight_ = height;
  }
  return reinterpret_cast<uint8_t*>(buffer_.get());
}

}  // namespace Media
