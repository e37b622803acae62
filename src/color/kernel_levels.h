#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// The 8-bit level tables of one conversion in the form the kernels add: luma as one 32-bit
// value per level, the chroma matrix as four-lane vectors (blue, green, red, spare) of each
// chroma level's contribution at full, half and quarter weight. The halves and quarters are
// shifted from each table entry before the entries are summed, so green's half is
// (cbG >> 1) + (crG >> 1), exactly as when every share is added on its own. Taken once per
// picture, which also keeps one picture from mixing two table generations.
struct KernelLevels {
  static constexpr int kFull = 0;
  static constexpr int kHalf = 1;
  static constexpr int kQuarter = 2;

  alignas(16) int32_t luma[256][4];   // the luma level in every lane
  alignas(16) int32_t cb[3][256][4];  // (cbB >> k, cbG >> k, 0, 0) for weight k
  alignas(16) int32_t cr[3][256][4];  // (0, crG >> k, crR >> k, 0)

  __m128i Chroma(int weight, int u, int v) const {
    return _mm_add_epi32(_mm_load_si128(reinterpret_cast<const __m128i*>(cb[weight][u])),
                         _mm_load_si128(reinterpret_cast<const __m128i*>(cr[weight][v])));
  }
  __m128i Luma(int y) const { return _mm_load_si128(reinterpret_cast<const __m128i*>(luma[y])); }
};

// Fills `levels` from the luma level table and the 8-bit chroma matrix.
void LoadKernelLevels(const LumaLevelTable& luma, const ChromaMatrix8& matrix, KernelLevels& levels);

}  // namespace color
