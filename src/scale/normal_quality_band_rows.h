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

// Two neighbouring chroma samples at weights 1, 1/2 and 1/4.
struct ChromaPair {
  __m128i w1;
  __m128i w2;
  __m128i w4;
};

[[gnu::always_inline]] inline ChromaPair LoadChroma(const InputTable& in, const uint8_t* u, const uint8_t* v,
                                                    int j) {
  const __m128i cu = LoadEntries(in.u, u[j], u[j + 1]);
  const __m128i cv = LoadEntries(in.v, v[j], v[j + 1]);
  return {_mm_adds_epi16(cu, cv), _mm_adds_epi16(_mm_srai_epi16(cu, 1), _mm_srai_epi16(cv, 1)),
          _mm_adds_epi16(_mm_srai_epi16(cu, 2), _mm_srai_epi16(cv, 2))};
}

[[gnu::always_inline]] inline void Store2(uint64_t* p, __m128i even, __m128i odd) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi64(even, odd));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 2), _mm_unpackhi_epi64(even, odd));
}

// Pixels 2j … 2j + 3 from samples j, j + 1 and the first sample of the next pair.
[[gnu::always_inline]] inline void StorePair(const ChromaPair& p, const ChromaPair& next, uint64_t* full,
                                             uint64_t* half, bool withFull) {
  Store2(half, p.w2, _mm_adds_epi16(p.w4, Straddle(p.w4, next.w4)));
  if (withFull) {
    Store2(full, p.w1, _mm_adds_epi16(p.w2, Straddle(p.w2, next.w2)));
  }
}

[[gnu::always_inline]] inline void StoreHigh(uint64_t* p, __m128i value) {
  _mm_storeh_pd(reinterpret_cast<double*>(p), _mm_castsi128_pd(value));
}

void ExpandChromaRow(const InputTable& in, const uint8_t* u, const uint8_t* v, int chromaWidth,
                     uint64_t* full, uint64_t* half, bool withFull) {
  ChromaPair current = LoadChroma(in, u, v, 0);
  for (int j = 2; j < chromaWidth; j += 2) {
    const ChromaPair next = LoadChroma(in, u, v, j);
    StorePair(current, next, full + 2 * (j - 2), half + 2 * (j - 2), withFull);
    current = next;
  }
  const int lastPair = 2 * (chromaWidth - 2);
  StorePair(current, current, full + lastPair, half + lastPair, withFull);
  // The last column has no sample to its right: it takes the last one at full weight.
  const int lastPixel = 2 * chromaWidth - 1;
  StoreHigh(half + lastPixel, current.w2);
  if (withFull) {
    StoreHigh(full + lastPixel, current.w1);
  }
}

// Luma plus the chroma row `above`, plus `below` for a row between two chroma rows, for
// pixels x and x + 1.
template <bool kBetween>
[[gnu::always_inline]] inline __m128i SumPair(const InputTable& in, const uint8_t* y, const uint64_t* above,
                                              const uint64_t* below, int x) {
  __m128i sum = _mm_adds_epi16(LoadEntries(in.y, y[x], y[x + 1]),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(above + x)));
  if constexpr (kBetween) {
    sum = _mm_adds_epi16(sum, _mm_loadu_si128(reinterpret_cast<const __m128i*>(below + x)));
  }
  return sum;
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
    uint64_t* half = rows.half[c & 1].data();
    if (haveChroma) {
      const ptrdiff_t offset = static_cast<ptrdiff_t>(c) * chromaWidth;
      ExpandChromaRow(in, band.u + offset, band.v + offset, chromaWidth, rows.full.data(), half, evenRow);
    }
    if (c > 0) {
      const int odd = 2 * c - 1;
      if (haveChroma) {
        Emitter::template Row<true>(in, out, lumaRow(odd), rows.half[(c - 1) & 1].data(), half, width,
                                    destinationRow(odd));
      } else {
        Emitter::template Row<false>(in, out, lumaRow(odd), rows.full.data(), nullptr, width,
                                     destinationRow(odd));
      }
    }
    if (evenRow) {
      Emitter::template Row<false>(in, out, lumaRow(2 * c), rows.full.data(), nullptr, width,
                                   destinationRow(2 * c));
    }
  }
}

}  // namespace
}  // namespace scale
