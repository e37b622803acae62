#pragma once

// The parts of the band conversion shared by its instruction-set variants. Everything here has
// internal linkage, so that each variant's file compiles its own copy with its own instruction
// set and no copy built for AVX2 can be chosen by the linker for the SSE2 path.

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "scale/normal_quality_band.h"
#include "scale/normal_quality_tables.h"

namespace scale {
namespace {

[[gnu::always_inline]] inline __m128i LoadEntries(const int16_t (*table)[kLanes], uint8_t a, uint8_t b) {
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(table[a])),
                            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(table[b])));
}

// The high word of a next to the low word of b.
[[gnu::always_inline]] inline __m128i Straddle(__m128i a, __m128i b) {
  return _mm_castpd_si128(_mm_shuffle_pd(_mm_castsi128_pd(a), _mm_castsi128_pd(b), 1));
}

// Two neighbouring chroma samples at weights 1 and 1/2. A half is the entries shifted; its
// complement is the full share less that half, so the two halves of a flat area add up to the
// full share instead of losing the bits shifted out.
struct ChromaPair {
  __m128i w1;
  __m128i w2;
  __m128i w2Complement;
};

[[gnu::always_inline]] inline ChromaPair LoadChroma(const InputTable& in, const uint8_t* u, const uint8_t* v,
                                                    int j) {
  const __m128i cu = LoadEntries(in.u, u[j], u[j + 1]);
  const __m128i cv = LoadEntries(in.v, v[j], v[j + 1]);
  const __m128i w1 = _mm_adds_epi16(cu, cv);
  const __m128i w2 = _mm_adds_epi16(_mm_srai_epi16(cu, 1), _mm_srai_epi16(cv, 1));
  return {w1, w2, _mm_subs_epi16(w1, w2)};
}

[[gnu::always_inline]] inline void Store2(uint64_t* p, __m128i even, __m128i odd) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi64(even, odd));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2), _mm_unpackhi_epi64(even, odd));
}

// Pixels 2j … 2j + 3 from samples j, j + 1 and the first sample of the next pair: between two
// samples the left one's half and the right one's complement.
[[gnu::always_inline]] inline void StorePair(const ChromaPair& p, const ChromaPair& next, uint64_t* full) {
  Store2(full, p.w1, _mm_adds_epi16(p.w2, Straddle(p.w2Complement, next.w2Complement)));
}

[[gnu::always_inline]] inline void StoreHigh(uint64_t* p, __m128i value) {
  _mm_storeh_pd(reinterpret_cast<double*>(p), _mm_castsi128_pd(value));
}

// One chroma row spread along the luma row co-sited with it.
void ExpandChromaRow(const InputTable& in, const uint8_t* u, const uint8_t* v, int chromaWidth,
                     uint64_t* full) {
  ChromaPair current = LoadChroma(in, u, v, 0);
  for (int j = 2; j < chromaWidth; j += 2) {
    const ChromaPair next = LoadChroma(in, u, v, j);
    StorePair(current, next, full + 2 * (j - 2));
    current = next;
  }
  StorePair(current, current, full + 2 * (chromaWidth - 2));
  // The last column has no sample to its right: it takes the last one at full weight.
  StoreHigh(full + 2 * chromaWidth - 1, current.w1);
}

// (a + b + 1) >> 1 per signed lane, without overflow: the unsigned rounding average of the
// values made offset binary.
[[gnu::always_inline]] inline __m128i Average(__m128i a, __m128i b) {
  const __m128i bias = _mm_set1_epi16(-32768);
  return _mm_xor_si128(_mm_avg_epu16(_mm_xor_si128(a, bias), _mm_xor_si128(b, bias)), bias);
}

inline __m128i LoadRow(const uint64_t* row, int x) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
}

// Luma plus the spread chroma row `above`, or for a luma row between two chroma rows the
// rounded average of `above` and `below`, for pixels x and x + 1.
template <bool kBetween>
[[gnu::always_inline]] inline __m128i SumPair(const InputTable& in, const uint8_t* y, const uint64_t* above,
                                              const uint64_t* below, int x) {
  __m128i chroma = LoadRow(above, x);
  if constexpr (kBetween) {
    chroma = Average(chroma, LoadRow(below, x));
  }
  return _mm_adds_epi16(LoadEntries(in.y, y[x], y[x + 1]), chroma);
}

// The output bytes of one pixel from its summed lanes.
[[gnu::always_inline]] inline uint32_t LookUp(const OutputTables& out, const uint16_t* lanes) {
  return out.b[lanes[0]] | static_cast<uint32_t>(out.g[lanes[1]]) << 8 |
         static_cast<uint32_t>(out.r[lanes[2]]) << 16;
}

// Rows in order; Emitter::Row<kBetween> writes one output row.
template <typename Emitter>
[[gnu::always_inline]] inline void ConvertBandWith(const NormalQualityBand& band, const InputTable& in,
                                                   const OutputTables& out, BandRows& rows) {
  const int width = band.width;
  const int chromaWidth = width / 2;
  auto lumaRow = [&band](int i) { return band.y + static_cast<ptrdiff_t>(i) * band.width; };
  auto destinationRow = [&band](int i) { return band.destination + i * band.pitch; };
  // Chroma row c completes the odd row 2c − 1 above it and gives the even row 2c.
  for (int c = 0; 2 * c - 1 < band.rows; ++c) {
    const bool haveChroma = c < band.chromaRows;
    const bool evenRow = 2 * c < band.rows;
    const uint64_t* previous = rows.full[(c - 1) & 1].data();
    // Below the last chroma row, the last one again.
    const uint64_t* current = previous;
    if (haveChroma) {
      const ptrdiff_t offset = static_cast<ptrdiff_t>(c) * chromaWidth;
      ExpandChromaRow(in, band.u + offset, band.v + offset, chromaWidth, rows.full[c & 1].data());
      current = rows.full[c & 1].data();
    }
    if (c > 0) {
      const int odd = 2 * c - 1;
      if (haveChroma) {
        Emitter::template Row<true>(in, out, lumaRow(odd), previous, current, width, destinationRow(odd));
      } else {
        Emitter::template Row<false>(in, out, lumaRow(odd), previous, nullptr, width, destinationRow(odd));
      }
    }
    if (evenRow) {
      Emitter::template Row<false>(in, out, lumaRow(2 * c), current, nullptr, width, destinationRow(2 * c));
    }
  }
}

}  // namespace
}  // namespace scale
