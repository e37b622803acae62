#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// The 8-bit level tables of one conversion in the form the kernels add: luma as one 32-bit
// value per level, the chroma matrix as four-lane vectors (blue, green, red, spare) of each
// chroma level's contribution at full, half and quarter weight. Everything is kept with
// kFractionBits bits below the tables' scale, so the half and quarter shares of an entry are
// exact and the shares of a flat area add up to the entry itself; the luma carries half of the
// last step, so shifting a sum right by kFractionBits (WriteSlotRow) rounds it to nearest.
// Taken once per picture, which also keeps one picture from mixing two table generations.
struct KernelLevels {
  static constexpr int kFull = 0;
  static constexpr int kHalf = 1;
  static constexpr int kQuarter = 2;
  static constexpr int kFractionBits = 2;

  alignas(16) int32_t luma[256][4];   // the luma level, scaled, plus the rounding half, in every lane
  alignas(16) int32_t cb[3][256][4];  // (cbB, cbG, 0, 0) scaled for weight k
  alignas(16) int32_t cr[3][256][4];  // (0, crG, crR, 0)

  __m128i Chroma(int weight, int u, int v) const {
    return _mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(cb[weight][u])),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(cr[weight][v])));
  }
  __m128i Luma(int y) const { return _mm_load_si128(reinterpret_cast<const __m128i*>(luma[y])); }
};

// Fills `levels` from the luma level table and the 8-bit chroma matrix.
void LoadKernelLevels(const LumaLevelTable& luma, const ChromaMatrix8& matrix, KernelLevels& levels);

}  // namespace color
