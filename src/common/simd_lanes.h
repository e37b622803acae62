#pragma once

// Vector registers for the passes written once over their width: each lane type names the same
// operations for one register size, so that a pass instantiated with Sse2Lanes in an SSE2 file
// and with Avx2Lanes in a file built for AVX2 is one piece of source. Everything here has
// internal linkage: a file built for AVX2 keeps its own copies and never lends a VEX-encoded
// body to an SSE2 caller. Unaligned access throughout, as pitches may be odd.

#include <emmintrin.h>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include <cstdint>
#include <cstring>

namespace common::simd {
namespace {

// P is the intrinsics' prefix (_mm, _mm256), S the suffix of whole-register operations.
#define VISTREL_SIMD_LANE_OPERATIONS(P, S)                                             \
  static Vec Zero() { return P##_setzero_##S(); }                                      \
  static Vec Load(const void* p) { return P##_loadu_##S(static_cast<const Vec*>(p)); } \
  static void Store(void* p, Vec v) { P##_storeu_##S(static_cast<Vec*>(p), v); }       \
  static Vec Broadcast16(int16_t x) { return P##_set1_epi16(x); }                      \
  static Vec Broadcast32(int32_t x) { return P##_set1_epi32(x); }                      \
  /* The 8 bytes at p in every quadword. */                                            \
  static Vec Broadcast64(const void* p) {                                              \
    int64_t x;                                                                         \
    std::memcpy(&x, p, sizeof x);                                                      \
    return P##_set1_epi64x(x);                                                         \
  }                                                                                    \
  static Vec Xor(Vec a, Vec b) { return P##_xor_##S(a, b); }                           \
  static Vec Add16(Vec a, Vec b) { return P##_add_epi16(a, b); }                       \
  static Vec AddSaturate16(Vec a, Vec b) { return P##_adds_epi16(a, b); }              \
  static Vec MulHigh16(Vec a, Vec b) { return P##_mulhi_epi16(a, b); }                 \
  static Vec MulAddPairs16(Vec a, Vec b) { return P##_madd_epi16(a, b); }              \
  static Vec Add32(Vec a, Vec b) { return P##_add_epi32(a, b); }                       \
  static Vec ShiftRightLogical16(Vec a, int n) { return P##_srli_epi16(a, n); }        \
  static Vec ShiftRight16(Vec a, int n) { return P##_srai_epi16(a, n); }               \
  static Vec ShiftRight32(Vec a, int n) { return P##_srai_epi32(a, n); }               \
  static Vec ShiftLeft32(Vec a, int n) { return P##_slli_epi32(a, n); }                \
  /* Interleaves and packs work within each 128-bit half of the register. */           \
  static Vec InterleaveLow8(Vec a, Vec b) { return P##_unpacklo_epi8(a, b); }          \
  static Vec InterleaveHigh8(Vec a, Vec b) { return P##_unpackhi_epi8(a, b); }         \
  static Vec InterleaveLow16(Vec a, Vec b) { return P##_unpacklo_epi16(a, b); }        \
  static Vec InterleaveHigh16(Vec a, Vec b) { return P##_unpackhi_epi16(a, b); }       \
  static Vec InterleaveLow64(Vec a, Vec b) { return P##_unpacklo_epi64(a, b); }        \
  static Vec InterleaveHigh64(Vec a, Vec b) { return P##_unpackhi_epi64(a, b); }       \
  static Vec PackUnsigned16(Vec a, Vec b) { return P##_packus_epi16(a, b); }           \
  static Vec PackSigned32(Vec a, Vec b) { return P##_packs_epi32(a, b); }

struct Sse2Lanes {
  using Vec = __m128i;
  static constexpr int kBytes = 16;
  VISTREL_SIMD_LANE_OPERATIONS(_mm, si128)

  // 4 and 8 bytes into and out of the low end of the register.
  static Vec Load32(const void* p) {
    int32_t v;
    std::memcpy(&v, p, sizeof v);
    return _mm_cvtsi32_si128(v);
  }
  static void Store32(void* p, Vec v) {
    const int32_t x = _mm_cvtsi128_si32(v);
    std::memcpy(p, &x, sizeof x);
  }
  static Vec Load64(const void* p) { return _mm_loadl_epi64(static_cast<const Vec*>(p)); }
  static void Store64(void* p, Vec v) { _mm_storel_epi64(static_cast<Vec*>(p), v); }

  static Vec FromLow128(__m128i v) { return v; }
  // The 16-bit sums of the register's 128-bit halves; a 128-bit register is one half.
  static __m128i SumHalves16(Vec v) { return v; }
  // The results of InterleaveLow and InterleaveHigh of the same inputs, stored in the inputs' order.
  static void StoreInterleaved(void* p, Vec low, Vec high) {
    Store(p, low);
    Store(static_cast<uint8_t*>(p) + kBytes, high);
  }
};

#if defined(__AVX2__)
struct Avx2Lanes {
  using Vec = __m256i;
  static constexpr int kBytes = 32;
  VISTREL_SIMD_LANE_OPERATIONS(_mm256, si256)

  static Vec FromLow128(__m128i v) { return _mm256_zextsi128_si256(v); }
  static __m128i SumHalves16(Vec v) {
    return _mm_add_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
  }
  // Each half interleaved on its own: the low halves of both results, then the high halves.
  static void StoreInterleaved(void* p, Vec low, Vec high) {
    Store(p, _mm256_permute2x128_si256(low, high, 0x20));
    Store(static_cast<uint8_t*>(p) + kBytes, _mm256_permute2x128_si256(low, high, 0x31));
  }
};
#endif

#undef VISTREL_SIMD_LANE_OPERATIONS

}  // namespace
}  // namespace common::simd
