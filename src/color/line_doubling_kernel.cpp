#include "color/line_doubling_kernel.h"

#include <emmintrin.h>

#include <cstring>

#include "color/kernel_scratch.h"

namespace color {
namespace {

void Average(const uint8_t* a, const uint8_t* b, size_t bytes, uint8_t* out) {
  size_t i = 0;
  for (; i + 16 <= bytes; i += 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_avg_epu8(x, y));
  }
  for (; i < bytes; ++i) {
    out[i] = static_cast<uint8_t>((a[i] + b[i] + 1) >> 1);
  }
}

}  // namespace

bool DoubleStackedField(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination,
                        ptrdiff_t destinationPitch, int width, int height, int field) {
  if (source == nullptr || destination == nullptr || (field != 1 && field != 2) || width < 1 || height < 2 ||
      width > kMaxKernelSize || height > kMaxKernelSize || sourcePitch < 4 * width ||
      destinationPitch < 4 * width) {
    return false;
  }
  const int rows = height / 2;
  const size_t bytes = static_cast<size_t>(width) * 4;
  const uint8_t* first = field == 1 ? source : source + (height - rows) * sourcePitch;
  auto in = [&](int k) { return first + k * sourcePitch; };
  auto out = [&](int line) { return destination + line * destinationPitch; };
  // The second field sits one output row lower: its first row also stands in for the row
  // above it.
  const int shift = field == 1 ? 0 : 1;
  if (shift == 1) {
    std::memcpy(out(0), in(0), bytes);
  }
  for (int k = 0; k + 1 < rows; ++k) {
    std::memcpy(out(2 * k + shift), in(k), bytes);
    Average(in(k), in(k + 1), bytes, out(2 * k + 1 + shift));
  }
  std::memcpy(out(2 * rows - 2 + shift), in(rows - 1), bytes);
  if (shift == 0) {
    std::memcpy(out(2 * rows - 1), in(rows - 1), bytes);
  }
  return true;
}

}  // namespace color
