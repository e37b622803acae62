#include <benchmark/benchmark.h>
#include <vips/vips.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "scale/lanczos_resizer.h"

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

namespace {

// A BGRX frame with smooth gradients and some grain, like decoded video.
std::vector<uint8_t> MakeFrame(int width, int height) {
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
  std::mt19937 rng(5);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < 4; ++c) {
        const double v = 128 + 70 * std::sin(x * 0.013 * (c + 1) + y * 0.007) + 40 * std::cos(y * 0.021) +
                         static_cast<int>(rng() % 17) - 8;
        bytes[(static_cast<size_t>(y) * width + x) * 4 + c] = static_cast<uint8_t>(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  return bytes;
}

struct Sizes {
  int srcWidth;
  int srcHeight;
  int dstWidth;
  int dstHeight;
};

void Vistrel(benchmark::State& state, Sizes s) {
  const std::vector<uint8_t> src = MakeFrame(s.srcWidth, s.srcHeight);
  std::vector<uint8_t> dst(static_cast<size_t>(s.dstWidth) * s.dstHeight * 4);
  Media::LanczosResizerH8_8 resizer(3);
  for (auto _ : state) {
    resizer.Resize(src.data(), s.srcWidth * 4, s.srcWidth, s.srcHeight, dst.data(), s.dstWidth * 4,
                   s.dstWidth, s.dstHeight);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

void Swscale(benchmark::State& state, Sizes s) {
  const std::vector<uint8_t> src = MakeFrame(s.srcWidth, s.srcHeight);
  std::vector<uint8_t> dst(static_cast<size_t>(s.dstWidth) * s.dstHeight * 4);
  SwsContext* context = sws_getContext(s.srcWidth, s.srcHeight, AV_PIX_FMT_BGRA, s.dstWidth, s.dstHeight,
                                       AV_PIX_FMT_BGRA, SWS_LANCZOS, nullptr, nullptr, nullptr);
  const uint8_t* srcPlanes[] = {src.data()};
  const int srcStrides[] = {s.srcWidth * 4};
  uint8_t* dstPlanes[] = {dst.data()};
  const int dstStrides[] = {s.dstWidth * 4};
  for (auto _ : state) {
    sws_scale(context, srcPlanes, srcStrides, 0, s.srcHeight, dstPlanes, dstStrides);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  sws_freeContext(context);
}

void Vips(benchmark::State& state, Sizes s) {
  static const bool started = VIPS_INIT("vistrel-bench") == 0;
  if (!started) {
    state.SkipWithError("libvips did not start");
    return;
  }
  vips_concurrency_set(2);
  // Every iteration must compute the picture, not fetch it from the operation cache.
  vips_cache_set_max(0);
  const std::vector<uint8_t> src = MakeFrame(s.srcWidth, s.srcHeight);
  const double scale = static_cast<double>(s.dstWidth) / s.srcWidth;
  const double vscale = static_cast<double>(s.dstHeight) / s.srcHeight;
  for (auto _ : state) {
    VipsImage* in =
        vips_image_new_from_memory(src.data(), src.size(), s.srcWidth, s.srcHeight, 4, VIPS_FORMAT_UCHAR);
    VipsImage* out = nullptr;
    if (vips_resize(in, &out, scale, "vscale", vscale, "kernel", VIPS_KERNEL_LANCZOS3, nullptr) != 0) {
      g_object_unref(in);
      state.SkipWithError("vips_resize failed");
      return;
    }
    size_t size = 0;
    void* pixels = vips_image_write_to_memory(out, &size);
    benchmark::DoNotOptimize(pixels);
    g_free(pixels);
    g_object_unref(out);
    g_object_unref(in);
  }
}

// The floor: one pass over the destination's bytes.
void Memcpy(benchmark::State& state, Sizes s) {
  const std::vector<uint8_t> src(static_cast<size_t>(s.dstWidth) * s.dstHeight * 4, 1);
  std::vector<uint8_t> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size());
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
}

void Register(const char* name, void (*body)(benchmark::State&, Sizes), Sizes sizes) {
  benchmark::RegisterBenchmark(name, body, sizes)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->Repetitions(5)
      ->ReportAggregatesOnly(true);
}

const bool kRegistered = [] {
  const Sizes up{1280, 720, 1920, 1080};
  const Sizes down{1920, 1080, 1280, 720};
  Register("BM_Lanczos720To1080/vistrel", Vistrel, up);
  Register("BM_Lanczos720To1080/swscale", Swscale, up);
  Register("BM_Lanczos720To1080/vips", Vips, up);
  Register("BM_Lanczos720To1080/memcpy", Memcpy, up);
  Register("BM_Lanczos1080To720/vistrel", Vistrel, down);
  Register("BM_Lanczos1080To720/swscale", Swscale, down);
  Register("BM_Lanczos1080To720/vips", Vips, down);
  Register("BM_Lanczos1080To720/memcpy", Memcpy, down);
  return true;
}();

}  // namespace
