#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/lock.h"
#include "common/thread.h"
#include "common/worker_pool.h"
#include "scale/img_resizer.h"
#include "scale/lanczos_resizer_cache.h"
#include "scale/lanczos_resizer_passes.h"

namespace Media {

// Separable Lanczos resizer for 32-bit pixels, 8-bit channels in and out, in 16-bit fixed point,
// each pass split by rows over one worker per processor. The vertical filter runs first, into a
// 16-bit intermediate picture of the source width; coefficients and that picture are kept while
// the sizes stay the same.
class LanczosResizerH8_8 final : public IImgResizer {
 public:
  // More lobes than this only cost time, and a registry value that large is a mistake.
  static constexpr int32_t kMaxLobes = 16;

  // `lobes` below 1 is taken as 1 (two taps), since the passes need at least one tap; above
  // kMaxLobes as kMaxLobes. `workers` below 1 is taken as 1.
  explicit LanczosResizerH8_8(int32_t lobes, int workers = common::WorkerCount());
  ~LanczosResizerH8_8();
  LanczosResizerH8_8(const LanczosResizerH8_8&) = delete;
  LanczosResizerH8_8& operator=(const LanczosResizerH8_8&) = delete;

  // Destinations under 16 pixels either way, and empty sources, are left untouched; equal sizes
  // are a plain row copy that does not take the lock.
  void Resize(const uint8_t* src, int32_t srcPitch, int32_t srcWidth, int32_t srcHeight, uint8_t* dst,
              int32_t dstPitch, int32_t dstWidth, int32_t dstHeight) override;

  int32_t Taps() const { return taps_; }
  int Workers() const { return pool_.Size(); }
  const LanczosCoefficientCache& HorizontalCache() const { return horizontal_; }
  const LanczosCoefficientCache& VerticalCache() const { return vertical_; }

 private:
  // Worker states besides stopped (0) and idle (1).
  enum State : int32_t { kQuit = 2, kPosted = 3, kDone = 4 };

  // Has every worker run `pass` on its band of `rows` rows of `job` and waits until all have
  // finished. `perRowTaps` advances the taps with the band (the vertical pass, whose offsets
  // are absolute).
  void Dispatch(LanczosPass pass, const LanczosJob& job, int32_t rows, bool perRowTaps);
  int32_t RunJob(int index, int32_t state);
  uint8_t* Intermediate(int32_t width, int32_t height);

  const int32_t taps_;
  // The processor's variants when the resizer was made.
  const LanczosPasses passes_;
  common::Lock lock_;
  LanczosCoefficientCache horizontal_;
  LanczosCoefficientCache vertical_;
  int32_t bufferWidth_ = 0;
  int32_t bufferHeight_ = 0;
  std::unique_ptr<int16_t[]> buffer_;
  std::vector<LanczosJob> records_;
  // The pass the posted jobs run; written before they are posted.
  LanczosPass pass_ = nullptr;
  // Last, so that the workers are stopped before anything they use is destroyed.
  common::WorkerPool pool_;
};

}  // namespace Media
