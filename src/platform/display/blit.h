#pragma once

#include <cstdint>

#include "platform/display/pixel_buffer.h"
#include "platform/display/types.h"

namespace platform::display {

// Copies rectangle `from` of `source` onto rectangle `to` of `target`, stretching when the two
// differ in size. `from` must lie inside the source. Without a clip `to` must lie inside the
// target; with one, only the part of `to` inside the clip and the target is drawn, the source
// being cut in proportion. Source and target may be the same buffer, rectangles overlapping.
Result BlitPixels(const PixelBuffer& target, const Rect& to, const PixelBuffer& source, const Rect& from,
                  const Rect* clip);

// Fills rectangle `to` of `target` with one 32-bit value (0 is black), clipped as above.
Result FillPixels(const PixelBuffer& target, const Rect& to, uint32_t colour, const Rect* clip);

}  // namespace platform::display
