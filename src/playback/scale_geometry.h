#pragma once

#include <array>
#include <cstdint>

#include "platform/display/types.h"

namespace playback {

using platform::display::Rect;

// How the file asks its pictures to be shown: pixels cut off each edge, and the pixel aspect.
struct SourceGeometry {
  int32_t cropTop = 0;
  int32_t cropBottom = 0;
  int32_t cropLeft = 0;
  int32_t cropRight = 0;
  int32_t aspectNumerator = 1;
  int32_t aspectDenominator = 1;
};

// The resizer choices.
inline constexpr int32_t kResizeDisplay = 0;  // the display's stretch
inline constexpr int32_t kResizeLanczos = 1;
inline constexpr int32_t kResizeNone = 2;

// The source rectangle without the cropped edges.
Rect CropSource(Rect source, const SourceGeometry& geometry);

// The largest rectangle of the source's shape (its pixel aspect applied) centred in
// `destination`: letterboxed when the destination is wider, pillarboxed when it is narrower.
Rect FitToAspect(Rect destination, const Rect& source, const SourceGeometry& geometry);

// The display's stretch: a destination reaching left of or above 0 starts at 0, the source
// losing the same share.
void ClipDestinationOrigin(Rect* destination, Rect* source);

// No resizer: the picture at 1:1, centred in the destination and cut on every side that does
// not fit; both rectangles become the same size.
void CentreAndCut(Rect* destination, Rect* source);

// Cuts the destination to a surface of width × height, the source shrinking in proportion.
void ClipToSurface(Rect* destination, Rect* source, int32_t width, int32_t height);

// The parts of `client` outside `drawn`, in the order they are filled; unused entries are empty.
std::array<Rect, 4> BlackBars(const Rect& client, const Rect& drawn);

}  // namespace playback
