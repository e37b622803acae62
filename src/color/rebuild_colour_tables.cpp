#include "color/rebuild_colour_tables.h"

#include <mutex>

#include "color/channel_tables.h"
#include "color/fixed_point.h"
#include "color/yuv_matrix.h"

namespace color {
namespace {

// An index s above 32768 is w = s / kChromaLevelOne, chroma w / 2; its entry is twice the
// model's contribution at the internal scale, kInternalOne · coefficient · saturation · w.
void BuildChromaMatrix16(ChromaMatrix16& m, YuvMatrixCode code, double saturation) {
  const ChromaCoefficients k = GetChromaCoefficients(code);
  const double scale = kInternalOne / kChromaLevelOne * saturation;
  for (int32_t i = 65535; i >= 0; --i) {
    const double s = i - 32768;
    m.crR.Set(i, RoundToEntry(s * k.crR * scale));
    m.cbG.Set(i, RoundToEntry(s * k.cbG * scale));
    m.crG.Set(i, RoundToEntry(s * k.crG * scale));
    m.cbB.Set(i, RoundToEntry(s * k.cbB * scale));
  }
}

void BuildQuantisers(LumaQuantiser& luma, ChromaQuantiser& chroma) {
  for (int64_t i = 0; i < 65536; ++i) {
    luma.Set(i, static_cast<uint8_t>(16 + 219 * i / 65535));
    // The raw 16 bits of a signed value, read as offset binary: −32768 → 16, 0 → 128, 32767 → 240.
    const int64_t offsetBinary = (i + 32768) & 0xFFFF;
    chroma.Set(i, static_cast<uint8_t>(16 + 224 * offsetBinary / 65534));
  }
}

// The same BT.601 coefficients whatever the source matrix: RGB sources are taken to Y'CbCr one
// way only. 255 × 257 = 65535 maps 8-bit full scale to 16-bit full scale.
void BuildForwardMatrix(ForwardMatrix& m) {
  for (int32_t i = 255; i >= 0; --i) {
    auto entry = [i](double coefficient) { return static_cast<int32_t>(coefficient * 257 * i); };
    m.yR.Set(i, entry(0.299));
    m.yG.Set(i, entry(0.587));
    m.yB.Set(i, entry(0.114));
    m.cbR.Set(i, entry(-0.169));
    m.cbG.Set(i, entry(-0.331));
    m.cbB.Set(i, entry(0.5));
    m.crR.Set(i, entry(0.5));
    m.crG.Set(i, entry(-0.419));
    m.crB.Set(i, entry(-0.081));
  }
}

}  // namespace

void RebuildColourTablesLocked(ColourState& state) {
  ColourTables& t = state.tables;
  if (!t.channelA) {
    t.channelA = std::make_unique<ChannelTableSet>();
    t.channelB = std::make_unique<ChannelTableSet>();
  }
  BuildChannelTablesLocked(state, {2.2, 2.2, 2.2});

  if (!t.lumaLevel) {
    t.lumaLevel = std::make_unique<LumaLevelTable>();
    t.chromaLevel = std::make_unique<ChromaLevelTable>();
    t.chromaMatrix8 = std::make_unique<ChromaMatrix8>();
    t.chromaMatrix16 = std::make_unique<ChromaMatrix16>();
    for (size_t i = 0; i < LumaHistogram::Size(); ++i) {
      t.lumaHistogram.Set(i, kFlatHistogramBin);
      t.chromaHistogram.Set(i, kFlatHistogramBin);
    }
  }
  BuildChromaMatrix16(*t.chromaMatrix16, state.params.matrix, state.params.saturation);

  if (!t.lumaQuantiser) {
    t.lumaQuantiser = std::make_unique<LumaQuantiser>();
    t.chromaQuantiser = std::make_unique<ChromaQuantiser>();
  }
  BuildQuantisers(*t.lumaQuantiser, *t.chromaQuantiser);

  // Rewritten in place rather than replaced: an RGB kernel on the decoding thread may be
  // reading it, and its entries never change anyway.
  if (!t.forwardMatrix) {
    t.forwardMatrix = std::make_unique<ForwardMatrix>();
  }
  BuildForwardMatrix(*t.forwardMatrix);
}

void RebuildColourTables() {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  RebuildColourTablesLocked(state);
}

}  // namespace color
