#include "playback/scale_geometry.h"

namespace playback {

Rect CropSource(Rect source, const SourceGeometry& geometry) {
  source.top += geometry.cropTop;
  source.bottom -= geometry.cropBottom;
  source.left += geometry.cropLeft;
  source.right -= geometry.cropRight;
  return source;
}

Rect FitToAspect(Rect destination, const Rect& source, const SourceGeometry& geometry) {
  if (destination.IsEmpty() || source.IsEmpty() || geometry.aspectNumerator <= 0 ||
      geometry.aspectDenominator <= 0) {
    return destination;
  }
  const double u = static_cast<double>(destination.Width()) / destination.Height();
  const double v = static_cast<double>(source.Width()) / source.Height() * geometry.aspectNumerator /
                   geometry.aspectDenominator;
  if (u < v) {
    const auto h = static_cast<int32_t>(destination.Width() / v);
    destination.top += (destination.Height() >> 1) - (h >> 1);
    destination.bottom = destination.top + h;
  } else if (u > v) {
    const auto w = static_cast<int32_t>(v * destination.Height());
    destination.left += (destination.Width() >> 1) - (w >> 1);
    destination.right = destination.left + w;
  }
  return destination;
}

void ClipDestinationOrigin(Rect* destination, Rect* source) {
  if (destination->left < 0 && destination->Width() > 0) {
    source->left -= static_cast<int32_t>(int64_t{source->Width()} * destination->left / destination->Width());
    destination->left = 0;
  }
  if (destination->top < 0 && destination->Height() > 0) {
    source->top -= static_cast<int32_t>(int64_t{source->Height()} * destination->top / destination->Height());
    destination->top = 0;
  }
}

void CentreAndCut(Rect* destination, Rect* source) {
  const int32_t cx = (destination->left + destination->right) >> 1;
  const int32_t cy = (destination->top + destination->bottom) >> 1;
  int32_t w = source->Width();
  if (cx - (w >> 1) < destination->left) w = (cx - destination->left) * 2;
  int32_t h = source->Height();
  if (cy - (h >> 1) < destination->top) h = (cy - destination->top) * 2;
  w >>= 1;
  h >>= 1;
  *destination = {cx - w, cy - h, cx + w, cy + h};
  const int32_t sx = (source->left + source->right) >> 1;
  const int32_t sy = (source->top + source->bottom) >> 1;
  *source = {sx - w, sy - h, sx + w, sy + h};
}

namespace {

// One axis of ClipToSurface: the destination span [low, high) cut to [0, limit), the source span
// cut in proportion.
void ClipAxis(int32_t* low, int32_t* high, int32_t* sourceLow, int32_t* sourceHigh, int32_t limit) {
  const int32_t length = *high - *low;
  const int32_t sourceLength = *sourceHigh - *sourceLow;
  if (length <= 0) return;
  if (*high > limit) {
    *sourceHigh -= static_cast<int32_t>(int64_t{*high - limit} * sourceLength / length);
    *high = limit;
  }
  if (*low < 0) {
    *sourceLow -= static_cast<int32_t>(int64_t{sourceLength} * *low / length);
    *low = 0;
  }
}

}  // namespace

void ClipToSurface(Rect* destination, Rect* source, int32_t width, int32_t height) {
  ClipAxis(&destination->left, &destination->right, &source->left, &source->right, width);
  ClipAxis(&destination->top, &destination->bottom, &source->top, &source->bottom, height);
}

std::array<Rect, 4> BlackBars(const Rect& client, const Rect& drawn) {
  std::array<Rect, 4> bars{};
  if (drawn.top == client.top) {
    if (drawn.left != client.left) {
      bars[0] = {client.left, client.top, drawn.left, client.bottom};
      bars[1] = {drawn.right, client.top, client.right, client.bottom};
    }
    return bars;
  }
  bars[0] = {client.left, client.top, client.right, drawn.top};
  bars[1] = {client.left, drawn.bottom, client.right, client.bottom};
  if (drawn.left != client.left) {
    bars[2] = {client.left, drawn.top, drawn.left, drawn.bottom};
    bars[3] = {drawn.right, drawn.top, client.right, drawn.bottom};
  }
  return bars;
}

}  // namespace playback
