#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>

#include "platform/display/surface.h"

namespace platform::display {

// Writes pattern(x, y) into every pixel of a surface through Lock and the pitch.
inline void Paint(Surface& surface, const std::function<uint32_t(int32_t, int32_t)>& pattern) {
  LockedRect locked;
  ASSERT_EQ(surface.Lock(&locked), Result::kOk);
  for (int32_t y = 0; y < locked.height; ++y) {
    for (int32_t x = 0; x < locked.width; ++x) {
      const uint32_t value = pattern(x, y);
      std::memcpy(locked.bits + y * locked.pitch + x * 4, &value, 4);
    }
  }
  ASSERT_EQ(surface.Unlock(), Result::kOk);
}

inline uint32_t PixelAt(Surface& surface, int32_t x, int32_t y) {
  LockedRect locked;
  if (surface.Lock(&locked) != Result::kOk) return 0xDEADBEEF;
  uint32_t value;
  std::memcpy(&value, locked.bits + y * locked.pitch + x * 4, 4);
  surface.Unlock();
  return value;
}

// The scaler's filter may lose a level or two per channel; positions and channels must hold.
inline bool ChannelsNear(uint32_t actual, uint32_t expected, int tolerance = 2) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = int(actual >> shift & 0xFF);
    const int e = int(expected >> shift & 0xFF);
    if (a - e > tolerance || e - a > tolerance) return false;
  }
  return true;
}

inline uint32_t Coordinates(int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x) << 12 | uint32_t(y); }

}  // namespace platform::display
