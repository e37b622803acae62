#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace platform::text {

// Rows of every line picture.
inline constexpr int32_t kLineHeight = 18;
// No picture is wider than the widest display surface.
inline constexpr int32_t kMaxLineWidth = 16384;

// One rendered line: kLineHeight rows of `width` 32-bit pixels (memory bytes B, G, R, X),
// top row first, `pitch` bytes apart. Valid until the rasteriser renders again.
struct LinePicture {
  const uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;  // 0: nothing to show
};

// Draws one line of text green (0, 255, 0) on black in the application's default font, on a
// picture as wide as the text. Narrow text is UTF-8, or Latin-1 where it is not valid UTF-8;
// wide text is UTF-16. Needs a running Qt GUI application; without one nothing is drawn.
// One thread at a time per rasteriser.
class LineRasteriser {
 public:
  // The text from the picture's left edge on a picture as wide as the advance of the whole
  // text in the font, cut to `maxWidth` (and kMaxLineWidth), so a long text costs no more than
  // the part that can be seen.
  LinePicture Render(std::string_view text, int32_t maxWidth);
  LinePicture Render(std::u16string_view text, int32_t maxWidth);

 private:
  std::vector<uint32_t> pixels_;  // reused while the widths stay
};

}  // namespace platform::text
