#pragma once

#include <benchmark/benchmark.h>
#include <libyuv/convert_argb.h>

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace bench {

// The peers' YV12 (Y, V, U planes) to 32-bit BGRA conversions of one picture, timed the same
// way as the player's own.
inline void RunLibyuvYv12(benchmark::State& state, const std::vector<uint8_t>& picture, int width,
                          int height) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
  const uint8_t* y = picture.data();
  const uint8_t* v = y + static_cast<size_t>(width) * height;
  const uint8_t* u = v + static_cast<size_t>(width) * height / 4;
  for (auto _ : state) {
    libyuv::I420ToARGB(y, width, u, width / 2, v, width / 2, out.data(), 4 * width, width, height);
    benchmark::DoNotOptimize(out.data());
  }
}

inline void RunSwscaleYv12(benchmark::State& state, const std::vector<uint8_t>& picture, int width,
                           int height, int flags) {
  std::vector<uint8_t> out(static_cast<size_t>(width) * height * 4);
  SwsContext* context = sws_getContext(width, height, AV_PIX_FMT_YUV420P, width, height, AV_PIX_FMT_BGRA,
                                       flags, nullptr, nullptr, nullptr);
  const uint8_t* y = picture.data();
  const uint8_t* v = y + static_cast<size_t>(width) * height;
  const uint8_t* u = v + static_cast<size_t>(width) * height / 4;
  const uint8_t* planes[3] = {y, u, v};
  const int strides[3] = {width, width / 2, width / 2};
  uint8_t* outPlanes[1] = {out.data()};
  const int outStrides[1] = {4 * width};
  for (auto _ : state) {
    sws_scale(context, planes, strides, 0, height, outPlanes, outStrides);
    benchmark::DoNotOptimize(out.data());
  }
  sws_freeContext(context);
}

}  // namespace bench
