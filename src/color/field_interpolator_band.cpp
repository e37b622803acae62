#include "color/field_interpolator_band.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace color {

FieldTaps ActiveTaps(const FieldBand& band, int row) {
  const FieldFilterRow& filter = band.filter[row];
  FieldTaps taps{};
  for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
    if (filter.weights[j] != 0) {
      taps.rows[taps.count] = band.source + filter.offsets[j];
      taps.weights[taps.count] = filter.weights[j];
      ++taps.count;
    }
  }
  return taps;
}

void InterpolateBytes(const FieldTaps& taps, uint8_t* out, size_t begin, size_t end) {
  for (size_t x = begin; x < end; ++x) {
    int sum = 0;
    for (int t = 0; t < taps.count; ++t) {
      const int wide = (taps.rows[t][x] * 257) >> 1;
      sum = std::clamp(sum + ((wide * taps.weights[t]) >> 16), -32768, 32767);
    }
    out[x] = static_cast<uint8_t>(std::clamp(sum >> 5, 0, 255));
  }
}

void InterpolateBandSse2(const FieldBand& band) {
  const size_t bytes = static_cast<size_t>(band.width) * 4;
  for (int r = 0; r < band.rows; ++r) {
    const FieldTaps taps = ActiveTaps(band, r);
    uint8_t* out = band.destination + r * band.destinationPitch;
    if (taps.IsCopy()) {
      std::memcpy(out, taps.rows[0], bytes);
      continue;
    }
    __m128i weights[FieldFilterRow::kTaps];
    for (int t = 0; t < taps.count; ++t) {
      weights[t] = _mm_set1_epi16(taps.weights[t]);
    }
    size_t x = 0;
    for (; x + 16 <= bytes; x += 16) {
      __m128i lo = _mm_setzero_si128();
      __m128i hi = _mm_setzero_si128();
      for (int t = 0; t < taps.count; ++t) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps.rows[t] + x));
        // Interleaving a byte with itself gives v × 257.
        const __m128i wideLo = _mm_srli_epi16(_mm_unpacklo_epi8(v, v), 1);
        const __m128i wideHi = _mm_srli_epi16(_mm_unpackhi_epi8(v, v), 1);
        lo = _mm_adds_epi16(lo, _mm_mulhi_epi16(wideLo, weights[t]));
        hi = _mm_adds_epi16(hi, _mm_mulhi_epi16(wideHi, weights[t]));
      }
      const __m128i result = _mm_packus_epi16(_mm_srai_epi16(lo, 5), _mm_srai_epi16(hi, 5));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), result);
    }
    InterpolateBytes(taps, out, x, bytes);
  }
}

}  // namespace color
