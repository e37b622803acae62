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

// Chroma of one chroma row spread along the luma row co-sited with it, one 64-bit word (four
// 16-bit lanes) per pixel; two are kept for the luma rows between two chroma rows.
struct BandRows {
  std::vector<uint64_t> full[2];
  // Grows the rows for a picture `width` pixels wide; never shrinks them.
  void Reserve(int width);
};

// Every pixel is its luma entry plus the U and V entries of the chroma samples around it
// (weight 1 co-sited, 1/2 beside, 1/4 diagonal), summed with 16-bit saturation, then one
// output-table byte per channel. Along a chroma row, a pixel between two samples takes the
// left one's entries shifted right by 1 and the right one's full entries less theirs, so a
// flat area loses no bits; a luma row between two chroma rows takes the rounded average of the
// two rows so spread. Rows below the last chroma row and the last column take the last chroma
// sample with full weight. Partial sums saturate in a fixed order: along the chroma row first,
// then luma plus the chroma.
using BandConverter = void (*)(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                               BandRows& rows);

void ConvertBandSse2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows);
// The same bytes with AVX2 gathers for the output lookups; only where the processor has AVX2.
void ConvertBandAvx2(const NormalQualityBand& band, const InputTable& in, const OutputTables& out,
                     BandRows& rows);

}  // namespace scale
