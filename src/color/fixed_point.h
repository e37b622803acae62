#pragma once

#include <cmath>
#include <cstdint>

namespace color {

// Bound of a signed table entry: far beyond what the kernels' 16-bit saturation lets through,
// and small enough that their 32-bit sums of a few entries never overflow.
constexpr int32_t kEntryLimit = 1 << 24;

// Table entries are rounded to nearest: a kernel adds several, and truncation would bias every
// sum toward black, which a steep output transfer shows as levels. Settings read from storage
// can be absurd (a huge saturation, a negative gamma giving an infinite power), so the entry is
// bounded instead of overflowing, and a value that is no number gives 0.
inline int32_t RoundToEntry(double v) {
  if (std::isnan(v)) {
    return 0;
  }
  if (v >= kEntryLimit) {
    return kEntryLimit;
  }
  if (v <= -kEntryLimit) {
    return -kEntryLimit;
  }
  return static_cast<int32_t>(std::lround(v));
}

}  // namespace color
