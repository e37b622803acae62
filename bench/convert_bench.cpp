#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench_pictures.h"
#include "color/field_interpolator.h"
#include "peer_conversions.h"
#include "scale/normal_quality_converter.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<uint8_t> MakePicture() { return bench::MakeYv12Picture(kWidth, kHeight, 3); }

void BM_Convert1080pVistrel(benchmark::State& state) {
  const std::vector<uint8_t> picture = MakePicture();
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  color::FieldInterpolator interpolator;
  scale::NormalQualityConverter converter(interpolator);
  converter.Convert(picture.data(), out.data(), kWidth, kHeight, 4 * kWidth, 0);  // builds the tables
  for (auto _ : state) {
    converter.Convert(picture.data(), out.data(), kWidth, kHeight, 4 * kWidth, 0);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Convert1080pVistrel)
    ->Name("BM_Convert1080p/vistrel")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Convert1080pLibyuv(benchmark::State& state) {
  bench::RunLibyuvYv12(state, MakePicture(), kWidth, kHeight);
}
BENCHMARK(BM_Convert1080pLibyuv)
    ->Name("BM_Convert1080p/libyuv")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Convert1080pSwscale(benchmark::State& state) {
  bench::RunSwscaleYv12(state, MakePicture(), kWidth, kHeight,
                        SWS_BILINEAR | SWS_FULL_CHR_H_INT | SWS_ACCURATE_RND);
}
BENCHMARK(BM_Convert1080pSwscale)
    ->Name("BM_Convert1080p/swscale")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_Convert1080pMemcpy(benchmark::State& state) {
  const std::vector<uint8_t> in(kWidth * kHeight * 4, 1);
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), out.size());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Convert1080pMemcpy)
    ->Name("BM_Convert1080p/memcpy")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
