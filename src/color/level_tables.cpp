#include "color/level_tables.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>

#include "color/fixed_point.h"
#include "color/level_distribution.h"
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

// Luma levels: the DCC distribution under the luma gamma, contrast and brightness.
void BuildLuma(LumaLevelTable& table, const Bins& bins, const PictureParams& p) {
  const std::array<double, 256> cum = LumaDistribution(bins);
  for (int i = 255; i >= 0; --i) {
    const double v = std::pow(cum[i] / cum[255], p.yGamma) * p.contrast + p.brightness - 1;
    int32_t entry = RoundToEntry(v * 32767 * 0.25);
    entry = entry < 0 ? 0 : (entry > 32767 ? 32767 : entry);
    table.Set(i, static_cast<int16_t>(entry));
  }
}

// Chroma levels and the 8-bit matrix from the DCC distribution of magnitudes: magnitude 112
// (chroma 16 and 240) maps to 1; larger ones go beyond it.
void BuildChroma(ChromaLevelTable& level, ChromaMatrix8& matrix, const Bins& bins, const PictureParams& p) {
  const std::array<double, 129> cum = ChromaDistribution(bins);
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
