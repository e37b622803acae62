#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "scale/normal_quality_converter.h"
#include "scale/normal_quality_tables.h"

namespace scale::testing {

using Lanes = std::array<int, kLanes>;

inline Lanes Entry(const int16_t (&entry)[kLanes]) { return {entry[0], entry[1], entry[2], entry[3]}; }

inline Lanes Add(const Lanes& a, const Lanes& b) {
  Lanes sum;
  for (int i = 0; i < kLanes; ++i) {
    sum[i] = std::clamp(a[i] + b[i], -32768, 32767);
  }
  return sum;
}

inline Lanes Subtract(const Lanes& a, const Lanes& b) {
  Lanes difference;
  for (int i = 0; i < kLanes; ++i) {
    difference[i] = std::clamp(a[i] - b[i], -32768, 32767);
  }
  return difference;
}

inline Lanes Shift(const Lanes& a, int bits) {
  Lanes r;
  for (int i = 0; i < kLanes; ++i) {
    r[i] = a[i] >> bits;
  }
  return r;
}

// Pixel by pixel, straight from the weights: the picture is width (a multiple of 4) × height
// in YV12, the result height rows of width B, G, R, 0 pixels.
inline std::vector<uint32_t> ReferenceConvert(const uint8_t* picture, int width, int height,
                                              const InputTable& in, const OutputTables& out) {
  const int chromaWidth = width / 2;
  const int chromaRows = height / 2;
  const uint8_t* vPlane = picture + width * height;
  const uint8_t* uPlane = vPlane + chromaWidth * chromaRows;
  // Chroma sample j of chroma row k shifted right by `bits`, U and V separately.
  auto sample = [&](int k, int j, int bits) {
    return Add(Shift(Entry(in.u[uPlane[k * chromaWidth + j]]), bits),
               Shift(Entry(in.v[vPlane[k * chromaWidth + j]]), bits));
  };
  // The full share less the half one.
  auto complement = [&](int k, int j) { return Subtract(sample(k, j, 0), sample(k, j, 1)); };
  // Chroma row k along luma column x at full vertical weight: between two samples the left
  // one's half and the right one's complement.
  auto full = [&](int k, int x) {
    if (x % 2 == 0 || x == width - 1) {
      return sample(k, x / 2, 0);
    }
    return Add(sample(k, x / 2, 1), complement(k, x / 2 + 1));
  };
  // Between two chroma rows: their rounded average.
  auto between = [&](int k, int x) {
    const Lanes above = full(k, x);
    const Lanes below = full(k + 1, x);
    Lanes average;
    for (int i = 0; i < kLanes; ++i) {
      average[i] = (above[i] + below[i] + 1) >> 1;
    }
    return average;
  };
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Lanes luma = Entry(in.y[picture[y * width + x]]);
      Lanes sum;
      if (y % 2 == 0) {
        sum = Add(luma, full(std::min(y / 2, chromaRows - 1), x));
      } else if ((y + 1) / 2 < chromaRows) {
        sum = Add(luma, between(y / 2, x));
      } else {
        sum = Add(luma, full(y / 2, x));
      }
      auto index = [&sum](int lane) { return static_cast<uint16_t>(sum[lane]); };
      pixels[y * width + x] = out.b[index(0)] | out.g[index(1)] << 8 | out.r[index(2)] << 16;
    }
  }
  return pixels;
}

// A YV12 picture of random bytes, with the decoder's spare bytes after it.
inline std::vector<uint8_t> RandomPicture(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> picture(static_cast<size_t>(width) * height + 2 * (width / 2) * (height / 2) + 5);
  for (uint8_t& b : picture) {
    b = static_cast<uint8_t>(random());
  }
  return picture;
}

}  // namespace scale::testing
