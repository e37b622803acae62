#pragma once

#include <cstdint>

namespace platform::display {

// Outcome of a display operation: the three meanings the callers tell apart.
enum class Result {
  kOk = 0,
  kSurfaceLost,  // the surface must be restored and the callers' surfaces rebuilt
  kFailed,       // refused or impossible (bad rectangle, mode not settable, busy, ...)
};

// Who owns the display: the desktop shared with other windows, or the whole screen.
enum class CooperativeLevel {
  kNormal,
  kFullScreen,
};

// A rectangle in pixels, right and bottom exclusive.
struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  constexpr int32_t Width() const { return right - left; }
  constexpr int32_t Height() const { return bottom - top; }
  constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

constexpr Rect Intersect(const Rect& a, const Rect& b) {
  return {a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
          a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
}

constexpr bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

struct DisplayMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 32;
  int32_t refreshRate = 0;  // Hz; 0 = the display's own
  friend constexpr bool operator==(const DisplayMode&, const DisplayMode&) = default;
};

// What Lock hands out: the address of the top-left pixel and the byte pitch between rows.
// Pixels are 32 bits, bytes blue, green, red and one without meaning.
struct LockedRect {
  uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// A read-only view of a picture about to be made visible.
struct PictureView {
  const uint8_t* bits = nullptr;
  int32_t pitch = 0;
  int32_t width = 0;
  int32_t height = 0;
};

}  // namespace platform::display
