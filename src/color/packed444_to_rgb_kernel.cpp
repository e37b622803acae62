#include "color/packed444_to_rgb_kernel.h"

#include <emmintrin.h>

#include <algorithm>

#include "color/colour_state.h"
#include "color/kernel_levels.h"
#include "color/kernel_scratch.h"
#include "color/kernel_slot_output.h"

namespace color {

bool ConvertPacked444ToRgb(const uint8_t* source, uint8_t* destination, int width, int height,
                           ptrdiff_t pitch, int ycOffset) {
  const ColourTables& tables = GetColourTables();
  KernelScratch& scratch = GetKernelScratch();
  if (source == nullptr || destination == nullptr || width < 1 || height < 1 || width > kMaxKernelSize ||
      height > kMaxKernelSize || pitch < 4 * width || !tables.lumaLevel || !tables.chromaMatrix8 ||
      !tables.channelA || !scratch.ReserveRowPairs(width)) {
    return false;
  }
  KernelLevels& levels = scratch.Levels();
  LoadKernelLevels(*tables.lumaLevel, *tables.chromaMatrix8, levels);
  int32_t* slots = scratch.Row(0, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = source + static_cast<ptrdiff_t>(y) * 4 * width;
    for (int x = 0; x < width; ++x) {
      const uint8_t* chroma = row + 4 * std::clamp(x + ycOffset, 0, width - 1);
      const __m128i sums = _mm_add_epi32(levels.Luma(row[4 * x + 2]),
                                         levels.Chroma(KernelLevels::kFull, chroma[1], chroma[0]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(slots + x * KernelScratch::kSlots), sums);
    }
    WriteSlotRow<KernelLevels::kFractionBits>(slots, width, *tables.channelA, destination + y * pitch);
  }
  return true;
}

}  // namespace color
