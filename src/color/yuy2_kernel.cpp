#include "color/yuy2_kernel.h"

#include <emmintrin.h>

#include "color/colour_state.h"
#include "color/kernel_levels.h"
#include "color/kernel_scratch.h"
#include "color/kernel_slot_output.h"

namespace color {
namespace {

constexpr int kSlots = KernelScratch::kSlots;

inline void Put(int32_t* row, int x, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x * kSlots), v);
}

void SumRow(const KernelLevels& levels, const uint8_t* row, int width, int32_t* slots) {
  const int pairs = (width + 1) / 2;
  for (int i = 0; i < pairs; ++i) {
    const uint8_t* p = row + 4 * i;
    const int x = 2 * i;
    Put(slots, x, _mm_add_epi32(levels.Luma(p[0]), levels.Chroma(KernelLevels::kFull, p[1], p[3])));
    if (x + 1 < width) {
      const __m128i between = i + 1 < pairs ? _mm_add_epi32(levels.Chroma(KernelLevels::kHalf, p[1], p[3]),
                                                            levels.Chroma(KernelLevels::kHalf, p[5], p[7]))
                                            : levels.Chroma(KernelLevels::kFull, p[1], p[3]);
      Put(slots, x + 1, _mm_add_epi32(levels.Luma(p[2]), between));
    }
  }
}

}  // namespace

bool ConvertYuy2(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, ptrdiff_t pitch,
                 int width, int height) {
  const ColourTables& tables = GetColourTables();
  KernelScratch& scratch = GetKernelScratch();
  if (source == nullptr || destination == nullptr || width < 1 || height < 1 || width > kMaxKernelSize ||
      height > kMaxKernelSize || sourcePitch < 4 * ((width + 1) / 2) || pitch < 4 * width ||
      !tables.lumaLevel || !tables.chromaMatrix8 || !tables.channelA || !scratch.ReserveRowPairs(width)) {
    return false;
  }
  KernelLevels& levels = scratch.Levels();
  LoadKernelLevels(*tables.lumaLevel, *tables.chromaMatrix8, levels);
  int32_t* slots = scratch.Row(0, 0);
  for (int y = 0; y < height; ++y) {
    SumRow(levels, source + y * sourcePitch, width, slots);
    WriteSlotRow<KernelLevels::kFractionBits>(slots, width, *tables.channelA, destination + y * pitch);
  }
  return true;
}

}  // namespace color
