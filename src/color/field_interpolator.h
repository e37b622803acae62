#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "color/field_interpolator_band.h"
#include "color/field_interpolator_filter.h"
#include "common/thread.h"
#include "common/worker_pool.h"

namespace color {

// Doubles the height of a single field of 32-bit pixels with a vertical Lanczos-3 filter whose
// phase depends on the field, so that alternate fields line up on screen. The bands run on
// one worker per processor; the workers start with the first field and stay until Shutdown.
// One caller at a time: conversions are serialised by their callers.
class FieldInterpolator {
 public:
  // Worker states besides stopped (0) and idle (1).
  static constexpr int32_t kJobPosted = 2;
  static constexpr int32_t kJobDone = 3;
  static constexpr int32_t kQuit = 4;

  // Largest field height accepted; its filter is a few megabytes.
  static constexpr int kMaxHeight = 1 << 15;

  explicit FieldInterpolator(int workerCount = common::WorkerCount());
  FieldInterpolator(const FieldInterpolator&) = delete;
  FieldInterpolator& operator=(const FieldInterpolator&) = delete;
  ~FieldInterpolator();

  // Writes 2 × height rows of width pixels, destinationPitch bytes apart, from the height
  // rows at source (sourcePitch bytes apart): field 1 is moved a quarter of a source row up,
  // field 2 a quarter down. The filters are rebuilt when the height or source pitch change.
  // Returns false, writing nothing, for a field other than 1 or 2 or an impossible geometry.
  bool InterpolateField(const uint8_t* source, uint8_t* destination, int width, int height,
                        ptrdiff_t sourcePitch, int field, ptrdiff_t destinationPitch);

  // Stops the workers and frees the filters; a later field starts them again.
  void Shutdown();

  bool Running() const { return pool_.Running(); }
  int WorkerCount() const { return workerCount_; }

  // First output row of band k of `workers` bands over `outputRows` rows.
  static int BandStart(int k, int outputRows, int workers);

 private:
  int32_t RunJob(int index, int32_t state);

  const int workerCount_;
  // The processor's variant when the interpolator was made.
  const FieldBandKernel kernel_;
  common::WorkerPool pool_;
  std::vector<FieldBand> slots_;
  std::vector<FieldFilterRow> filters_[2];
  int filterHeight_ = 0;
  ptrdiff_t filterPitch_ = 0;
};

}  // namespace color
