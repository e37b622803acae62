#pragma once

#include <cmath>
#include <cstdint>

namespace color {

// Bound of a signed table entry: far beyond what the kernels' 16-bit saturation lets through,
// and small enough that their 32-bit sums of a few entries never overflow.
constexpr int32_t kEntryLimit = 1 << 24;

// To nearest, halves away from zero, for a value well inside the 32-bit range; inline, unlike
// the library's rounding, since table builds round every entry.
inline int32_t RoundToInt(double v) {
  return v < 0 ? -static_cast<int32_t>(0.5 - v) : static_cast<int32_t>(v + 0.5);
}

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
  return RoundToInt(v);
}

}  // namespace color
