#include <benchmark/benchmark.h>
#include <libyuv/convert.h>
#include <libyuv/convert_argb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "bench_pictures.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "color/line_doubling_kernel.h"
#include "color/rgb_to_yv12_kernel.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "color/yuy2_kernel.h"
#include "peer_conversions.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<uint8_t> MakeYv12() { return bench::MakeYv12Picture(kWidth, kHeight, 5); }

// The colour state the player starts with, for the duration of one benchmark.
class ColourSession {
 public:
  ColourSession() {
    color::InitColour(1.0, 1.0, 1.0, 4, color::kTransferSrgb, color::kTransferConstantGamma, 100);
    color::BuildLevelTables();
  }
  ~ColourSession() {
    color::ReleaseKernelScratch();
    color::ReleaseColour();
  }
};

using Kernel = bool (*)(const uint8_t*, uint8_t*, int, int, ptrdiff_t, int, bool, int);

void RunKernel(benchmark::State& state, Kernel kernel) {
  const ColourSession session;
  const std::vector<uint8_t> picture = MakeYv12();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  kernel(picture.data(), out.data(), kWidth, kHeight, 4 * kWidth, 0, false, 0);  // grows the scratch
  for (auto _ : state) {
    kernel(picture.data(), out.data(), kWidth, kHeight, 4 * kWidth, 0, false, 0);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_Kernel1080pStandard(benchmark::State& state) { RunKernel(state, color::ConvertYv12Standard); }
void BM_Kernel1080pLanczos(benchmark::State& state) { RunKernel(state, color::ConvertYv12Lanczos); }
void BM_Kernel1080pFast(benchmark::State& state) { RunKernel(state, color::ConvertYv12Fast); }

void BM_Kernel1080pLibyuv(benchmark::State& state) {
  bench::RunLibyuvYv12(state, MakeYv12(), kWidth, kHeight);
}

void RunSwscale(benchmark::State& state, int flags) {
  bench::RunSwscaleYv12(state, MakeYv12(), kWidth, kHeight, flags);
}

void BM_Kernel1080pSwscale(benchmark::State& state) {
  RunSwscale(state, SWS_BILINEAR | SWS_FULL_CHR_H_INT | SWS_ACCURATE_RND);
}
void BM_Kernel1080pSwscaleLanczos(benchmark::State& state) {
  RunSwscale(state, SWS_LANCZOS | SWS_FULL_CHR_H_INT | SWS_ACCURATE_RND);
}

// YUY2 with the same content as the YV12 picture.
std::vector<uint8_t> MakeYuy2() {
  const std::vector<uint8_t> yv12 = MakeYv12();
  std::vector<uint8_t> yuy2(kWidth * kHeight * 2);
  const uint8_t* v = yv12.data() + kWidth * kHeight;
  const uint8_t* u = v + kWidth * kHeight / 4;
  for (int y = 0; y < kHeight; ++y) {
    for (int i = 0; i < kWidth / 2; ++i) {
      uint8_t* p = yuy2.data() + y * kWidth * 2 + 4 * i;
      p[0] = yv12[y * kWidth + 2 * i];
      p[1] = u[(y / 2) * (kWidth / 2) + i];
      p[2] = yv12[y * kWidth + 2 * i + 1];
      p[3] = v[(y / 2) * (kWidth / 2) + i];
    }
  }
  return yuy2;
}

void BM_Yuy21080pVistrel(benchmark::State& state) {
  const ColourSession session;
  const std::vector<uint8_t> picture = MakeYuy2();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  for (auto _ : state) {
    color::ConvertYuy2(picture.data(), 2 * kWidth, out.data(), 4 * kWidth, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_Yuy21080pLibyuv(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakeYuy2();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  for (auto _ : state) {
    libyuv::YUY2ToARGB(picture.data(), 2 * kWidth, out.data(), 4 * kWidth, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
  }
}

std::vector<uint8_t> MakeBgrx() {
  const ColourSession session;
  const std::vector<uint8_t> picture = MakeYv12();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  color::ConvertYv12Standard(picture.data(), out.data(), kWidth, kHeight, 4 * kWidth, 0, false, 0);
  return out;
}

void BM_RgbToYv121080pVistrel(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakeBgrx();
  const ColourSession session;
  std::vector<uint8_t> out(kWidth * kHeight * 3 / 2);
  for (auto _ : state) {
    color::ConvertRgbToYv12(picture.data(), 4 * kWidth, out.data(), kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_RgbToYv121080pLibyuv(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakeBgrx();
  std::vector<uint8_t> out(kWidth * kHeight * 3 / 2);
  uint8_t* y = out.data();
  uint8_t* v = y + kWidth * kHeight;
  uint8_t* u = v + kWidth * kHeight / 4;
  for (auto _ : state) {
    libyuv::ARGBToI420(picture.data(), 4 * kWidth, y, kWidth, u, kWidth / 2, v, kWidth / 2, kWidth, kHeight);
    benchmark::DoNotOptimize(out.data());
  }
}

void BM_LineDouble1080pVistrel(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakeBgrx();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  for (auto _ : state) {
    color::DoubleStackedField(picture.data(), 4 * kWidth, out.data(), 4 * kWidth, kWidth, kHeight, 2);
    benchmark::DoNotOptimize(out.data());
  }
}

#define KERNEL_BENCHMARK(fn, name) BENCHMARK(fn)->Name(name)->UseRealTime()->Unit(benchmark::kMillisecond)

KERNEL_BENCHMARK(BM_Kernel1080pStandard, "BM_Kernel1080p/standard");
KERNEL_BENCHMARK(BM_Kernel1080pLanczos, "BM_Kernel1080p/lanczos");
KERNEL_BENCHMARK(BM_Kernel1080pFast, "BM_Kernel1080p/fast");
KERNEL_BENCHMARK(BM_Kernel1080pLibyuv, "BM_Kernel1080p/libyuv");
KERNEL_BENCHMARK(BM_Kernel1080pSwscale, "BM_Kernel1080p/swscale");
KERNEL_BENCHMARK(BM_Kernel1080pSwscaleLanczos, "BM_Kernel1080p/swscale_lanczos");
KERNEL_BENCHMARK(BM_Yuy21080pVistrel, "BM_Yuy21080p/vistrel");
KERNEL_BENCHMARK(BM_Yuy21080pLibyuv, "BM_Yuy21080p/libyuv");
KERNEL_BENCHMARK(BM_RgbToYv121080pVistrel, "BM_RgbToYv121080p/vistrel");
KERNEL_BENCHMARK(BM_RgbToYv121080pLibyuv, "BM_RgbToYv121080p/libyuv");
KERNEL_BENCHMARK(BM_LineDouble1080pVistrel, "BM_LineDouble1080p/vistrel");

}  // namespace
