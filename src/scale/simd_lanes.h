#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace scale::simd {

// Unaligned SSE2 loads and stores of 4, 8 and 16 bytes at any address (pitches may be odd).
// They are static so that a translation unit built for AVX2 keeps its own copies and never
// lends a VEX-encoded body to an SSE2-only caller.

static inline __m128i LoadU32(const void* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return _mm_cvtsi32_si128(v);
}

static inline void StoreU32(void* p, __m128i v) {
  const int32_t x = _mm_cvtsi128_si32(v);
  std::memcpy(p, &x, sizeof x);
}

static inline __m128i LoadU64(const void* p) { return _mm_loadl_epi64(static_cast<const __m128i*>(p)); }

static inline void StoreU64(void* p, __m128i v) { _mm_storel_epi64(static_cast<__m128i*>(p), v); }

static inline __m128i LoadU128(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }

static inline void StoreU128(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// The same 8 bytes in both halves: one pixel's four 16-bit lanes for two pixels at once.
static inline __m128i BroadcastU64(const void* p) {
  const __m128i v = LoadU64(p);
  return _mm_unpacklo_epi64(v, v);
}

}  // namespace scale::simd
