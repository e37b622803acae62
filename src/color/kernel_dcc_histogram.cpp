#include "color/kernel_dcc_histogram.h"

#include <array>
#include <cstddef>
#include <cstdlib>

namespace color {
namespace {

using Bins = std::array<uint64_t, 256>;

void AddRows(const uint8_t* rows, int width, int count, Bins& bins) {
  for (int y = 0; y < count; ++y) {
    const uint8_t* row = rows + static_cast<ptrdiff_t>(y) * width;
    for (int x = 0; x + 1 < width; ++x) {
      const int a = row[x];
      const int b = row[x + 1];
      const uint64_t detail = static_cast<uint64_t>(std::abs(a - b) >> 1);
      bins[a] += detail;
      bins[b] += detail;
    }
  }
}

// One addition per bin per picture: the shared bins are touched 256 times, not per pixel.
void AddTo(SharedTable<uint64_t, 256>& histogram, const Bins& bins) {
  for (size_t i = 0; i < bins.size(); ++i) {
    if (bins[i] != 0) {
      histogram.Add(i, bins[i]);
    }
  }
}

}  // namespace

void AccumulateDccHistograms(const uint8_t* picture, int width, int height, ColourTables& tables) {
  Bins luma{};
  Bins chroma{};
  AddRows(picture, width, height, luma);
  AddRows(picture + static_cast<ptrdiff_t>(width) * height, width / 2, height, chroma);
  AddTo(tables.lumaHistogram, luma);
  AddTo(tables.chromaHistogram, chroma);
}

}  // namespace color
