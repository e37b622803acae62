#include "common/mul_div.h"

#include <cstdlib>
#include <limits>

namespace common {

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) {
    return -1;
  }
  const int64_t product = static_cast<int64_t>(a) * b;
  const bool negative = (product < 0) != (c < 0);
  // |product| ≤ 2^62 and |c| ≤ 2^31, so the magnitudes and the rounding add stay in range.
  const uint64_t num = product < 0 ? 0 - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
  const uint64_t den = c < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  const uint64_t magnitude = (num + den / 2) / den;
  const uint64_t limit =
      negative ? uint64_t{1} << 31 : static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
  if (magnitude > limit) {
    return -1;
  }
  return negative ? static_cast<int32_t>(0 - static_cast<int64_t>(magnitude))
                  : static_cast<int32_t>(magnitude);
}

}  // namespace common
