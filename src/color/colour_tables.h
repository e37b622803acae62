#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "color/shared_table.h"

namespace color {

// Internal picture value: signed 16 bits with 1.0 = 32767 / 4 (set A and the matrices) or
// 1.0 = 4095 (set B). Channel tables and the chroma quantiser are indexed by the raw 16 bits of
// a signed value (index = s & 0xFFFF); ChromaMatrix16 by the value plus 32768.
constexpr double kInternalOne = 32767 * 0.25;
constexpr double kSetBOne = 4095;

// Output byte of one channel for every 16-bit internal value.
using ChannelTable = SharedTable<uint8_t, 65536>;
using ChannelTableSet = std::array<ChannelTable, 3>;  // R, G, B

// 8-bit luma to internal luma, 0 … 32767.
using LumaLevelTable = SharedTable<int16_t, 256>;
// Offset-binary 16-bit chroma: 32768 ± kChromaLevelOne·w, with w the chroma distribution (1 for
// chroma 16 and 240). Half the range per unit leaves room for chroma beyond 16 and 240 (w up to
// 128/112) and for the Lanczos filter's overshoot at sharp colour edges.
constexpr double kChromaLevelOne = 32767 * 0.5;

// 8-bit chroma to offset-binary 16-bit chroma.
using ChromaLevelTable = SharedTable<uint16_t, 256>;

// 8-bit chroma to its contribution to R, G or B at the internal scale.
struct ChromaMatrix8 {
  SharedTable<int32_t, 256> crR, cbG, crG, cbB;
};

// Offset-binary 16-bit chroma, at the chroma level table's scale, to its contribution at twice
// the internal scale.
struct ChromaMatrix16 {
  SharedTable<int32_t, 65536> crR, cbG, crG, cbB;
};

// 8-bit R, G or B to its 16-bit contribution to Y, Cb or Cr (full scale 255 → 65535).
struct ForwardMatrix {
  SharedTable<int32_t, 256> yR, yG, yB, cbR, cbG, cbB, crR, crG, crB;
};

// Unsigned 16-bit luma to video-range luma 16 … 235.
using LumaQuantiser = SharedTable<uint8_t, 65536>;
// Signed 16-bit chroma (raw 16 bits) to video-range chroma 16 … 240.
using ChromaQuantiser = SharedTable<uint8_t, 65536>;

// Detail-weighted counts of 8-bit values behind dynamic contrast control.
using LumaHistogram = SharedTable<uint64_t, 256>;
using ChromaHistogram = SharedTable<uint64_t, 256>;
constexpr uint64_t kFlatHistogramBin = 65536;

// Every table the high-quality kernels read. The pointers are set by the first build and
// cleared by ReleaseColour only, so a kernel may hold on to them between those two points;
// the entries themselves are safe to read during any rebuild (see SharedTable).
struct ColourTables {
  std::unique_ptr<ChannelTableSet> channelA;  // 1.0 = 32767 / 4
  std::unique_ptr<ChannelTableSet> channelB;  // 1.0 = 4095
  std::unique_ptr<LumaLevelTable> lumaLevel;
  std::unique_ptr<ChromaLevelTable> chromaLevel;
  std::unique_ptr<ChromaMatrix8> chromaMatrix8;
  std::unique_ptr<ChromaMatrix16> chromaMatrix16;
  std::unique_ptr<ForwardMatrix> forwardMatrix;
  std::unique_ptr<LumaQuantiser> lumaQuantiser;
  std::unique_ptr<ChromaQuantiser> chromaQuantiser;
  // Fixed arrays, not allocated: the kernels feed them whenever DCC is on.
  LumaHistogram lumaHistogram;
  ChromaHistogram chromaHistogram;
};

}  // namespace color
