#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "color/field_interpolator.h"

namespace {

void BM_FieldInterpolate1080pVistrel(benchmark::State& state) {
  constexpr int kWidth = 1920;
  constexpr int kFieldHeight = 540;
  std::vector<uint8_t> field(kWidth * kFieldHeight * 4);
  std::mt19937 rng(9);
  for (size_t i = 0; i < field.size(); ++i) {
    field[i] = static_cast<uint8_t>((i / 4 % kWidth) / 8 + rng() % 16);
  }
  std::vector<uint8_t> out(kWidth * 2 * kFieldHeight * 4);
  color::FieldInterpolator interpolator;
  int fieldNumber = 1;
  for (auto _ : state) {
    interpolator.InterpolateField(field.data(), out.data(), kWidth, kFieldHeight, 4 * kWidth, fieldNumber,
                                  4 * kWidth);
    fieldNumber = 3 - fieldNumber;  // alternate fields, as a field-pair stream does
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_FieldInterpolate1080pVistrel)
    ->Name("BM_FieldInterpolate1080p/vistrel")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
