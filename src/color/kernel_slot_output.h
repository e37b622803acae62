#pragma once

#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// Writes `width` pixels from their 32-bit sums (KernelScratch::kSlots per pixel: blue, green,
// red, spare), which carry kFractionBits bits below the internal scale: each sum shifted right
// by those bits and saturated to signed 16 bits indexes its channel table by those 16 bits.
// Bytes out are blue, green, red, and red again as the fourth byte so that a pixel is one
// 32-bit store.
template <int kFractionBits>
void WriteSlotRow(const int32_t* slots, int width, const ChannelTableSet& channels, uint8_t* out);

extern template void WriteSlotRow<0>(const int32_t*, int, const ChannelTableSet&, uint8_t*);
extern template void WriteSlotRow<2>(const int32_t*, int, const ChannelTableSet&, uint8_t*);

}  // namespace color
