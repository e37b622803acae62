#pragma once

#include "platform/display/surface.h"
#include "playback/scale_geometry.h"
#include "scale/img_resizer.h"

namespace playback {

// Draws the `source` rectangle of one surface into the `destination` rectangle of another by the
// resizer choice: cropped, fitted to the picture's aspect (stretch and Lanczos), then stretched
// by the display, scaled by `resizer`, or copied 1:1 centred and cut (no resizer). Both
// rectangles are written back as drawn.
void ScalePicture(platform::display::Surface& destination, Rect* destinationRect,
                  platform::display::Surface& source, Rect* sourceRect, Media::IImgResizer& resizer,
                  int32_t resizeType, const SourceGeometry& geometry);

}  // namespace playback
