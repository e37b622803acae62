#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "color/picture_model.h"
#include "color/rebuild_colour_tables.h"

namespace color::kernel_test {

// The colour state every kernel test starts from: matrix code 4, source and output transfer
// both sRGB (so the channel tail is the identity), neutral levels, flat histograms.
class KernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitColour(1.0, 1.0, 1.0, 4, kTransferSrgb, kTransferSrgb, 100);
    BuildLevelTables();
  }
  void TearDown() override {
    ReleaseKernelScratch();
    ReleaseColour();
  }

  // Picture levels in force in every table, the 16-bit chroma matrix included.
  static void SetLevels(double brightness, double contrast, double saturation) {
    SetPictureLevels(brightness, contrast, saturation);
    RebuildColourTables();
  }

  static const PictureParams& Params() { return GetColourState().params; }
};

inline const ColourTables& T() { return GetColourTables(); }

struct Yv12 {
  int width;
  int height;
  std::vector<uint8_t> bytes;
  uint8_t& Y(int x, int y) { return bytes[static_cast<size_t>(y) * width + x]; }
  uint8_t& V(int i, int j) { return bytes[static_cast<size_t>(width) * height + j * (width / 2) + i]; }
  uint8_t& U(int i, int j) {
    return bytes[static_cast<size_t>(width) * height + (width / 2) * (height / 2) + j * (width / 2) + i];
  }
};

inline Yv12 FlatYv12(int width, int height, uint8_t y, uint8_t u, uint8_t v) {
  Yv12 p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3 / 2)};
  std::fill(p.bytes.begin(), p.bytes.begin() + static_cast<ptrdiff_t>(width) * height, y);
  for (int j = 0; j < height / 2; ++j) {
    for (int i = 0; i < width / 2; ++i) {
      p.V(i, j) = v;
      p.U(i, j) = u;
    }
  }
  return p;
}

inline Yv12 RandomYv12(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  Yv12 p{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3 / 2)};
  for (uint8_t& b : p.bytes) {
    b = static_cast<uint8_t>(random());
  }
  return p;
}

// A 32-bit picture: rows of `pitch` bytes, filled with a marker so untouched bytes show.
struct Bgrx {
  int width;
  int height;
  ptrdiff_t pitch;
  std::vector<uint8_t> bytes;
  Bgrx(int w, int h, ptrdiff_t p) : width(w), height(h), pitch(p), bytes(static_cast<size_t>(p) * h, 0xA5) {}
  explicit Bgrx(int w, int h) : Bgrx(w, h, 4 * w) {}
  uint8_t* Data() { return bytes.data(); }
  uint8_t* At(int x, int y) { return bytes.data() + y * pitch + 4 * x; }
  const uint8_t* At(int x, int y) const { return bytes.data() + y * pitch + 4 * x; }
  // R, G, B of a pixel.
  Rgb8 Rgb(int x, int y) const { return {At(x, y)[2], At(x, y)[1], At(x, y)[0]}; }
};

// Writes the pixel bytes the kernels store for sums already saturated: B, G, R, R.
inline void PutPixel(const ChannelTableSet& channels, uint8_t* out, int32_t b, int32_t g, int32_t r) {
  auto index = [](int32_t v) { return static_cast<uint16_t>(std::clamp(v, -32768, 32767)); };
  out[0] = channels[2][index(b)];
  out[1] = channels[1][index(g)];
  out[2] = channels[0][index(r)];
  out[3] = out[2];
}

inline int MaxDifference(const Rgb8& a, const Rgb8& b) {
  int d = 0;
  for (int c = 0; c < 3; ++c) {
    d = std::max(d, std::abs(a[c] - b[c]));
  }
  return d;
}

}  // namespace color::kernel_test
