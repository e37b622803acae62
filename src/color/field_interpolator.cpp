#include "color/field_interpolator.h"

#include <algorithm>

#include "color/colour_dsp.h"
#include "common/mul_div.h"

namespace color {
namespace {

constexpr double kFirstFieldPhase = -0.25;
constexpr double kSecondFieldPhase = 0.25;

}  // namespace

FieldInterpolator::FieldInterpolator(int workerCount)
    : workerCount_(std::max(workerCount, 1)), kernel_(ColourDspTable::Get().interpolateBand) {}

FieldInterpolator::~FieldInterpolator() { Shutdown(); }

int FieldInterpolator::BandStart(int k, int outputRows, int workers) {
  return common::MulDiv(outputRows, k, workers);
}

bool FieldInterpolator::InterpolateField(const uint8_t* source, uint8_t* destination, int width, int height,
                                         ptrdiff_t sourcePitch, int field, ptrdiff_t destinationPitch) {
  if (source == nullptr || destination == nullptr || (field != 1 && field != 2) || width < 1 || height < 1 ||
      height > kMaxHeight || sourcePitch / 4 < width || destinationPitch / 4 < width) {
    return false;
  }
  if (!pool_.Running()) {
    slots_.assign(static_cast<size_t>(workerCount_), FieldBand{});
    pool_.Start(workerCount_, kQuit, [this](int index, int32_t state) { return RunJob(index, state); });
  }
  if (height != filterHeight_ || sourcePitch != filterPitch_) {
    filters_[0] = BuildFieldFilter(height, sourcePitch, kFirstFieldPhase);
    filters_[1] = BuildFieldFilter(height, sourcePitch, kSecondFieldPhase);
    filterHeight_ = height;
    filterPitch_ = sourcePitch;
  }
  const std::vector<FieldFilterRow>& filter = filters_[field - 1];
  const int outputRows = 2 * height;
  int end = outputRows;
  for (int k = workerCount_ - 1; k >= 0; --k) {
    const int start = BandStart(k, outputRows, workerCount_);
    if (start < end) {
      slots_[k] = FieldBand{source,           destination + start * destinationPitch,
                            destinationPitch, width,
                            end - start,      filter.data() + start};
      pool_.Post(k, kJobPosted);
    }
    end = start;
  }
  pool_.WaitWhileAny(kJobPosted);
  return true;
}

void FieldInterpolator::Shutdown() {
  pool_.Stop();
  slots_.clear();
  filters_[0].clear();
  filters_[1].clear();
  filterHeight_ = 0;
  filterPitch_ = 0;
}

int32_t FieldInterpolator::RunJob(int index, int32_t state) {
  if (state != kJobPosted) {
    return -1;
  }
  kernel_(slots_[index]);
  return kJobDone;
}

}  // namespace color
