#include "platform/display/blit.h"

#include <libyuv/planar_functions.h>
#include <libyuv/scale_argb.h>

#include <cstring>

namespace platform::display {

namespace {

// The part of `to` that is drawn, or false when the rectangle is refused.
bool DrawnArea(const PixelBuffer& target, const Rect& to, const Rect* clip, Rect* area) {
  if (to.IsEmpty()) return false;
  if (!clip) {
    if (!Contains(target.Bounds(), to)) return false;
    *area = to;
    return true;
  }
  *area = Intersect(Intersect(to, *clip), target.Bounds());
  return true;
}

void CopyRows(const PixelBuffer& target, const Rect& area, const PixelBuffer& source, int32_t fromX,
              int32_t fromY) {
  const size_t rowBytes = size_t(area.Width()) * 4;
  const int32_t rows = area.Height();
  // Within one buffer a copy downwards must run bottom-up so that no source row is
  // overwritten before it is read; memmove covers the overlap inside a row.
  const bool bottomUp = &target == &source && area.top > fromY;
  for (int32_t i = 0; i < rows; ++i) {
    const int32_t row = bottomUp ? rows - 1 - i : i;
    std::memmove(target.Pixel(area.left, area.top + row), source.Pixel(fromX, fromY + row), rowBytes);
  }
}

}  // namespace

Result BlitPixels(const PixelBuffer& target, const Rect& to, const PixelBuffer& source, const Rect& from,
                  const Rect* clip) {
  if (from.IsEmpty() || !Contains(source.Bounds(), from)) return Result::kFailed;
  Rect area;
  if (!DrawnArea(target, to, clip, &area)) return Result::kFailed;
  if (area.IsEmpty()) return Result::kOk;

  if (to.Width() == from.Width() && to.Height() == from.Height()) {
    CopyRows(target, area, source, from.left + area.left - to.left, from.top + area.top - to.top);
    return Result::kOk;
  }

  // The scaler reads the source while it writes, so a stretch within one buffer goes
  // through a copy of the source rectangle.
  PixelBuffer copy;
  const PixelBuffer* input = &source;
  Rect inputRect = from;
  if (&target == &source) {
    if (!copy.Allocate(from.Width(), from.Height())) return Result::kFailed;
    inputRect = copy.Bounds();
    CopyRows(copy, inputRect, source, from.left, from.top);
    input = &copy;
  }
  const uint8_t* in = input->Pixel(inputRect.left, inputRect.top);
  int status;
  if (area == to) {
    status = libyuv::ARGBScale(in, input->Pitch(), from.Width(), from.Height(), target.Pixel(to.left, to.top),
                               target.Pitch(), to.Width(), to.Height(), libyuv::kFilterBilinear);
  } else {
    // The clipped scaler addresses the clip from the origin of the whole destination
    // rectangle, which may lie outside the buffer; only pixels inside the clip are written.
    const intptr_t origin =
        reinterpret_cast<intptr_t>(target.Bits()) + intptr_t{to.top} * target.Pitch() + intptr_t{to.left} * 4;
    status = libyuv::ARGBScaleClip(in, input->Pitch(), from.Width(), from.Height(),
                                   reinterpret_cast<uint8_t*>(origin), target.Pitch(), to.Width(),
                                   to.Height(), area.left - to.left, area.top - to.top, area.Width(),
                                   area.Height(), libyuv::kFilterBilinear);
  }
  return status == 0 ? Result::kOk : Result::kFailed;
}

Result FillPixels(const PixelBuffer& target, const Rect& to, uint32_t colour, const Rect* clip) {
  Rect area;
  if (!DrawnArea(target, to, clip, &area)) return Result::kFailed;
  if (area.IsEmpty()) return Result::kOk;
  const int status = libyuv::ARGBRect(target.Bits(), target.Pitch(), area.left, area.top, area.Width(),
                                      area.Height(), colour);
  return status == 0 ? Result::kOk : Result::kFailed;
}

}  // namespace platform::display
