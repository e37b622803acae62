#pragma once

#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// Writes `width` pixels from their 32-bit sums (KernelScratch::kSlots per pixel: blue, green,
// red, spare): each sum saturated to signed 16 bits indexes its channel table by those 16
// bits. Bytes out are blue, green, red, and red again as the fourth byte so that a pixel is
// one 32-bit store.
void WriteSlotRow(const int32_t* slots, int width, const ChannelTableSet& channels, uint8_t* out);

}  // namespace color
