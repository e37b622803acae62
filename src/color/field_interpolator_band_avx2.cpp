#include <immintrin.h>

#include <cstring>

#include "color/field_interpolator_band.h"

namespace color {

void InterpolateBandAvx2(const FieldBand& band) {
  const size_t bytes = static_cast<size_t>(band.width) * 4;
  for (int r = 0; r < band.rows; ++r) {
    const FieldTaps taps = ActiveTaps(band, r);
    uint8_t* out = band.destination + r * band.destinationPitch;
    if (taps.IsCopy()) {
      std::memcpy(out, taps.rows[0], bytes);
      continue;
    }
    __m256i weights[FieldFilterRow::kTaps];
    for (int t = 0; t < taps.count; ++t) {
      weights[t] = _mm256_set1_epi16(taps.weights[t]);
    }
    size_t x = 0;
    for (; x + 32 <= bytes; x += 32) {
      __m256i lo = _mm256_setzero_si256();
      __m256i hi = _mm256_setzero_si256();
      for (int t = 0; t < taps.count; ++t) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps.rows[t] + x));
        // Unpack and pack both work within 128-bit halves, so the byte order comes back intact.
        const __m256i wideLo = _mm256_srli_epi16(_mm256_unpacklo_epi8(v, v), 1);
        const __m256i wideHi = _mm256_srli_epi16(_mm256_unpackhi_epi8(v, v), 1);
        lo = _mm256_adds_epi16(lo, _mm256_mulhi_epi16(wideLo, weights[t]));
        hi = _mm256_adds_epi16(hi, _mm256_mulhi_epi16(wideHi, weights[t]));
      }
      const __m256i result = _mm256_packus_epi16(_mm256_srai_epi16(lo, 5), _mm256_srai_epi16(hi, 5));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), result);
    }
    InterpolateBytes(taps, out, x, bytes);
  }
}

}  // namespace color
