#include "color/level_tables.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "color/fixed_point.h"
#include "color/yuv_matrix.h"

namespace color {
namespace {

using Bins = std::array<uint64_t, 256>;

// One consistent copy: the kernels keep adding to the live bins while the tables are built.
Bins Snapshot(const SharedTable<uint64_t, 256>& histogram) {
  Bins bins;
  for (size_t i = 0; i < bins.size(); ++i) {
    bins[i] = histogram[i];
  }
  return bins;
}

// Luma distribution: the cumulative detail histogram over 16 … 235, each bin blended with a
// constant of eight times the mean non-empty bin, so busy ranges are stretched only partly.
void BuildLuma(LumaLevelTable& table, const Bins& bins, const PictureParams& p) {
  uint64_t sum = 0;
  int count = 0;
  for (int i = 16; i <= 235; ++i) {
    sum += bins[i];
    count += bins[i] != 0 ? 1 : 0;
  }
  const double blend = count != 0 ? static_cast<double>(sum * 4) / count * 2 : 16.0;

  std::array<double, 256> cum{};
  for (int i = 17; i <= 235; ++i) {
    cum[i] = cum[i - 1] + static_cast<double>(bins[i]) + blend;
  }
  for (int i = 236; i <= 255; ++i) {
    cum[i] = cum[235];
  }
  for (int i = 255; i >= 0; --i) {
    const double v = std::pow(cum[i] / cum[255], p.yGamma) * p.contrast + p.brightness - 1;
    int32_t entry = RoundToEntry(v * 32767 * 0.25);
    entry = entry < 0 ? 0 : (entry > 32767 ? 32767 : entry);
    table.Set(i, static_cast<int16_t>(entry));
  }
}

// Chroma distribution over the magnitude |c − 128|, from the pairs of bins either side of 128,
// each blended with five times the mean non-empty pair. Magnitude 112 (chroma 16 and 240) maps
// to 1; larger ones go beyond it.
void BuildChroma(ChromaLevelTable& level, ChromaMatrix8& matrix, const Bins& bins, const PictureParams& p) {
  uint64_t sum = 0;
  int count = 0;
  for (int k = 1; k <= 112; ++k) {
    const uint64_t pair = bins[128 - k] + bins[128 + k];
    sum += pair;
    count += pair != 0 ? 1 : 0;
  }
  const double blend = count != 0 ? static_cast<double>(sum) / count / 0.2 : 16.0;

  // Magnitude 128 is reached by chroma 0 alone, which stands in for its own missing partner
  // (the same weight a symmetric pair would give), so DCC off keeps the ramp m / 112 there too.
  std::array<double, 129> cum{};
  for (int k = 1; k <= 127; ++k) {
    cum[k] = cum[k - 1] + static_cast<double>(bins[128 + k]) + static_cast<double>(bins[128 - k]) + blend;
  }
  cum[128] = cum[127] + 2 * static_cast<double>(bins[0]) + blend;
  const double normaliser = cum[112];

  const ChromaCoefficients k = GetChromaCoefficients(p.matrix);
  for (int i = 255; i >= 0; --i) {
    const double w = i == 128 ? 0.0 : std::pow(cum[std::abs(i - 128)] / normaliser, p.cGamma);
    const double sign = i > 128 ? 1.0 : (i < 128 ? -1.0 : 0.0);

    const double v = sign * kChromaLevelOne * w;
    level.Set(i, v > 32767 ? 65535 : (!(v >= -32768) ? 0 : static_cast<uint16_t>(RoundToInt(v) + 32768)));

    // Chroma 0.5 ↔ 16383, four times the internal scale; the 0.25 brings it back.
    const double cv = sign * 16383 * w;
    const double s = p.saturation;
    matrix.crR.Set(i, RoundToEntry(k.crR * cv * s * 0.25));
    matrix.cbG.Set(i, RoundToEntry(k.cbG * cv * s * 0.25));
    matrix.crG.Set(i, RoundToEntry(k.crG * cv * s * 0.25));
    matrix.cbB.Set(i, RoundToEntry(k.cbB * cv * s * 0.25));
  }
}

void BuildLevelTablesLocked(ColourState& state) {
  ColourTables& t = state.tables;
  if (!t.lumaLevel) {
    return;
  }
  BuildLuma(*t.lumaLevel, Snapshot(t.lumaHistogram), state.params);
  BuildChroma(*t.chromaLevel, *t.chromaMatrix8, Snapshot(t.chromaHistogram), state.params);
}

void ForEachBin(void (*update)(LumaHistogram&, size_t)) {
  ColourTables& t = GetColourTables();
  for (size_t i = 0; i < LumaHistogram::Size(); ++i) {
    update(t.lumaHistogram, i);
    update(t.chromaHistogram, i);
  }
}

}  // namespace

void BuildLevelTables() {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  BuildLevelTablesLocked(state);
}

void SetPictureLevels(double brightness, double contrast, double saturation) {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  state.params.brightness = brightness;
  state.params.contrast = contrast;
  state.params.saturation = saturation;
  BuildLevelTablesLocked(state);
}

void ResetHistograms() {
  ForEachBin([](LumaHistogram& h, size_t i) { h.Set(i, kFlatHistogramBin); });
}

void DecayHistograms() {
  ForEachBin([](LumaHistogram& h, size_t i) { h.Set(i, h[i] >> 1); });
}

}  // namespace color
