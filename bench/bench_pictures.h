#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace bench {

// A YV12 picture with smooth gradients and some grain, like decoded video, with the 5 spare
// bytes the decoder leaves behind it.
inline std::vector<uint8_t> MakeYv12Picture(int width, int height, unsigned seed) {
  std::vector<uint8_t> picture(static_cast<size_t>(width) * height * 3 / 2 + 5);
  std::mt19937 rng(seed);
  auto fill = [&rng](uint8_t* plane, int w, int h, double base, double fx, double fy) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const double v = base + 60 * std::sin(x * fx + y * 0.004) + 30 * std::cos(y * fy) +
                         static_cast<int>(rng() % 13) - 6;
        plane[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(std::clamp(v, 16.0, 240.0));
      }
    }
  };
  fill(picture.data(), width, height, 120, 0.011, 0.017);
  uint8_t* v = picture.data() + static_cast<size_t>(width) * height;
  fill(v, width / 2, height / 2, 128, 0.023, 0.013);
  fill(v + static_cast<size_t>(width) * height / 4, width / 2, height / 2, 128, 0.017, 0.029);
  return picture;
}

}  // namespace bench
