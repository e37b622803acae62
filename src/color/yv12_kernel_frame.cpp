#include "color/yv12_kernel_frame.h"

#include "color/colour_state.h"
#include "color/kernel_dcc_histogram.h"
#include "color/kernel_scratch.h"

namespace color {

bool Yv12KernelFrame::Begin(const uint8_t* source, uint8_t* destination, int width, int height,
                            ptrdiff_t pitch, int field) {
  if (source == nullptr || destination == nullptr || width < 2 || height < 2 || width % 2 != 0 ||
      height % 2 != 0 || width > kMaxKernelSize || height > kMaxKernelSize || pitch < 4 * width ||
      field < 0 || field > 2) {
    return false;
  }
  uint8_t* target = destination;
  if (field != 0) {
    target = GetKernelScratch().FieldPicture(static_cast<size_t>(height) * pitch);
    if (target == nullptr) {
      return false;
    }
  }
  source_ = source;
  destination_ = destination;
  target_ = target;
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  field_ = field;
  return true;
}

void Yv12KernelFrame::AccumulateDcc() const {
  AccumulateDccHistograms(source_, width_, height_, GetColourTables());
}

bool Yv12KernelFrame::Finish() const {
  if (field_ == 0) {
    return true;
  }
  return GetFieldInterpolator().InterpolateField(target_, destination_, width_, height_, pitch_, field_,
                                                 pitch_);
}

}  // namespace color
