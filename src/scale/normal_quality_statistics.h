#pragma once

#include <array>
#include <cstdint>

namespace scale {

// How strongly each level differs from its horizontal neighbours over the pictures seen,
// which the adaptive tone curve equalises against.
struct LevelStatistics {
  std::array<uint64_t, 256> luma{};
  std::array<uint64_t, 256> chroma{};  // both chroma planes together
  uint64_t pictures = 0;

  // Every counter to `value`; the picture count is kept.
  void Reset(uint64_t value);
};

// Adds one YV12 picture: every horizontally adjacent pair (a, b) within a row adds
// |b − a| / 2 to the counters of both a and b, so flat areas add nothing. `width` is the
// picture's own width, `paddedWidth` the row stride of its luma plane.
void GatherLevelStatistics(const uint8_t* picture, int width, int paddedWidth, int height,
                           LevelStatistics& statistics);

}  // namespace scale
