#include "scale/normal_quality_statistics.h"

#include <cstddef>
#include <cstdlib>

namespace scale {
namespace {

void AddRows(const uint8_t* plane, int width, int stride, int rows, std::array<uint64_t, 256>& counters) {
  for (int y = 0; y < rows; ++y) {
    const uint8_t* row = plane + static_cast<ptrdiff_t>(y) * stride;
    for (int x = 0; x + 1 < width; ++x) {
      const uint8_t a = row[x];
      const uint8_t b = row[x + 1];
      const unsigned difference = static_cast<unsigned>(std::abs(b - a)) / 2;
      counters[a] += difference;
      counters[b] += difference;
    }
  }
}

}  // namespace

void LevelStatistics::Reset(uint64_t value) {
  luma.fill(value);
  chroma.fill(value);
}

void GatherLevelStatistics(const uint8_t* picture, int width, int paddedWidth, int height,
                           LevelStatistics& statistics) {
  AddRows(picture, width, paddedWidth, height, statistics.luma);
  // The V plane and the U plane below it form one run of chroma rows.
  const uint8_t* chroma = picture + static_cast<ptrdiff_t>(paddedWidth) * height;
  AddRows(chroma, width / 2, paddedWidth / 2, 2 * (height / 2), statistics.chroma);
  ++statistics.pictures;
}

}  // namespace scale
