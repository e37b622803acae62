#pragma once

#include <cstdint>

namespace common {

// a × b / c with a 64-bit intermediate, rounded to nearest with halves away from zero.
// Returns −1 when c is 0 or the quotient does not fit 32 bits, as callers of the
// row-split arithmetic expect.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

}  // namespace common
