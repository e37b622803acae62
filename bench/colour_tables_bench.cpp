#include <benchmark/benchmark.h>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/conversion_accuracy.h"
#include "color/level_tables.h"

namespace {

// The start-up state with user-like settings: source sRGB, output constant gamma.
void StartColour() {
  color::InitColour(1.0, 1.0, 1.0, 4, color::kTransferSrgb, color::kTransferConstantGamma, 100);
  color::SetMonitorGamma(1.0, 1.0, 1.0);
  color::SetMonitorContrast(1.0, 1.0, 1.0);
  color::SetMonitorLevel(1.0, 1.0, 1.0);
  color::BuildChannelTables(2.2, 2.2, 2.2);
  color::BuildLevelTables();
}

void BM_BuildChannelTables(benchmark::State& state) {
  StartColour();
  for (auto _ : state) {
    color::BuildChannelTables(2.0, 2.2, 2.4);
  }
  color::ReleaseColour();
}
BENCHMARK(BM_BuildChannelTables)->Name("BM_BuildChannelTables/vistrel")->Unit(benchmark::kMillisecond);

void BM_BuildLevelTables(benchmark::State& state) {
  StartColour();
  color::SetYGamma(1.1);
  color::SetCGamma(0.9);
  for (auto _ : state) {
    color::SetPictureLevels(1.0, 1.1, 1.2);
  }
  color::ReleaseColour();
}
BENCHMARK(BM_BuildLevelTables)->Name("BM_BuildLevelTables/vistrel")->Unit(benchmark::kMicrosecond);

void BM_MeasureConversionAccuracy(benchmark::State& state) {
  StartColour();
  double maxError = 0, minError = 0, meanAbsError = 0, meanSquareError = 0;
  for (auto _ : state) {
    color::MeasureConversionAccuracy(maxError, minError, meanAbsError, meanSquareError);
  }
  state.counters["max"] = maxError;
  state.counters["min"] = minError;
  state.counters["meanAbs"] = meanAbsError;
  state.counters["meanSquare"] = meanSquareError;
  color::ReleaseColour();
}
BENCHMARK(BM_MeasureConversionAccuracy)
    ->Name("BM_MeasureConversionAccuracy/vistrel")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
