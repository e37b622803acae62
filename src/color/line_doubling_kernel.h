#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// Builds a full-height picture from one field of a 32-bit picture holding two stacked fields:
// field 1 is the upper half (source rows 0 … height / 2 − 1), field 2 the lower
// (rows height − height / 2 … height − 1). The field's rows land on the output rows of their
// parity (even for field 1, odd for field 2) and the rows between are the byte-wise rounded
// mean of their neighbours; rows past the field's last one repeat it. Writes 2 × (height / 2)
// rows of width pixels, destinationPitch bytes apart. False, writing nothing, for a field
// other than 1 or 2, a height below 2, a size above kMaxKernelSize or a pitch below 4 × width.
bool DoubleStackedField(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination,
                        ptrdiff_t destinationPitch, int width, int height, int field);

}  // namespace color
