#include "playback/picture_scaler.h"

namespace playback {

using platform::display::LockedRect;
using platform::display::Result;
using platform::display::Surface;

namespace {

// Lanczos, and the display's stretch at equal sizes: the resizer over locked pixels.
void ResizeLocked(Surface& destination, Rect* d, Surface& source, Rect* s, Media::IImgResizer& resizer) {
  LockedRect from;
  if (source.Lock(&from) != Result::kOk) return;
  LockedRect to;
  if (destination.Lock(&to) != Result::kOk) {
    source.Unlock();
    return;
  }
  ClipToSurface(d, s, to.width, to.height);
  *s = Intersect(*s, Rect{0, 0, from.width, from.height});
  if (!d->IsEmpty() && !s->IsEmpty()) {
    resizer.Resize(from.bits + int64_t{s->left} * 4 + int64_t{s->top} * from.pitch, from.pitch, s->Width(),
                   s->Height(), to.bits + int64_t{d->left} * 4 + int64_t{d->top} * to.pitch, to.pitch,
                   d->Width(), d->Height());
  }
  destination.Unlock();
  source.Unlock();
}

}  // namespace

void ScalePicture(Surface& destination, Rect* d, Surface& source, Rect* s, Media::IImgResizer& resizer,
                  int32_t resizeType, const SourceGeometry& geometry) {
  *s = CropSource(*s, geometry);
  if (s->IsEmpty() || d->IsEmpty()) return;
  if (resizeType == kResizeNone) {
    CentreAndCut(d, s);
    destination.Blt(d, source, s);
    return;
  }
  *d = FitToAspect(*d, *s, geometry);
  if (resizeType == kResizeDisplay) {
    ClipDestinationOrigin(d, s);
    if (d->Width() != s->Width() || d->Height() != s->Height()) {
      destination.Blt(d, source, s);
      return;
    }
  }
  ResizeLocked(destination, d, source, s, resizer);
}

}  // namespace playback
