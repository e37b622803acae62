#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scale/normal_quality_tables.h"

namespace scale {

// One horizontal band of a YV12 picture. The band starts on an even row, so its first row is
// co-sited with the chroma row at u and v; chromaRows counts the chroma rows from there to
// the bottom of the picture, which lets the band's last row read the chroma row below it.
struct NormalQualityBand {
  const uint8_t* y = nullptr;
  const uint8_t* u = nullptr;
  const uint8_t* v = nullptr;
  uint8_t* destination = nullptr;
  ptrdiff_t pitch = 0;
  int width = 0;  // luma samples per row, a multiple of 4
  int rows = 0;
  int chromaRows = 0;
};

// Chroma of one chroma row spread over a luma row at full vertical weight, and at half weight
// for the luma rows below and above it, one 64-bit word (four 16-bit lanes) per pixel; two half
// rows are kept for the odd luma rows.
struct BandRows {
  std::vector<uint64_t> full;
  std::vector<uint64_t> half[2];
  std::vector<uint64_t> up;
  // Grows the rows for a picture `width` pixels wide; never shrinks them.
  void Reserve(int width);
};

// Every pixel is its luma entry plus the U and V entries of the chroma samples around it
// (weight 1 co-sited, 1/2 beside, 1/4 diagonal), summed with 16-bit saturation, then one
// output-table byte per channel. A half share is the entries shifted right by 1, a quarter by
// 2; between two samples across, the right one gives its full share less its half, and between
// two chroma rows the lower one gives its full row less its half row, so that the shares of a
// flat area add up to the full share. Rows below the last chroma row and the last column take
// the last chroma sample with full weight. Partial sums saturate in a fixed order: the
// samples' shares along a chroma row first, then luma plus the chroma row above, then the
// chroma row below.
void ConvertBandSse2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows);
// The same bytes with AVX2 gathers for the output lookups; only where the processor has AVX2.
void ConvertBandAvx2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows);

}  // namespace scale
