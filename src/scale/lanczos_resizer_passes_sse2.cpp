#include "scale/lanczos_resizer_passes.h"
#include "scale/lanczos_resizer_passes_simd.h"

namespace Media {
namespace {

// Calls four(in, out) for four pixels at a time and one(in, out) for each pixel left, row by
// row; a pixel is kIn bytes in and kOut bytes out.
template <int kIn, int kOut, typename Four, typename One>
void ForEachPixelRun(const LanczosJob& job, Four four, One one) {
  for (int32_t r = 0; r < job.rows; ++r) {
    const uint8_t* in = job.src + static_cast<ptrdiff_t>(r) * job.srcPitch;
    uint8_t* out = job.dst + static_cast<ptrdiff_t>(r) * job.dstPitch;
    int32_t x = 0;
    for (; x + 4 <= job.width; x += 4) {
      four(in + x * kIn, out + x * kOut);
    }
    for (; x < job.width; ++x) {
      one(in + x * kIn, out + x * kOut);
    }
  }
}

// (b × 257) >> 2: the byte in both halves of a lane, shifted right by two.
inline __m128i WidenByTwo(__m128i interleaved) { return _mm_srli_epi16(interleaved, 2); }

void Widening(const LanczosJob& job) {
  ForEachPixelRun<4, 8>(
      job,
      [](const uint8_t* in, uint8_t* out) {
        const __m128i p = Sse2Lanes::Load(in);
        Sse2Lanes::StoreInterleaved(out, WidenByTwo(_mm_unpacklo_epi8(p, p)),
                                    WidenByTwo(_mm_unpackhi_epi8(p, p)));
      },
      [](const uint8_t* in, uint8_t* out) {
        const __m128i p = Sse2Lanes::Load32(in);
        Sse2Lanes::Store64(out, WidenByTwo(_mm_unpacklo_epi8(p, p)));
      });
}

void Narrowing(const LanczosJob& job) {
  ForEachPixelRun<8, 4>(
      job,
      [](const uint8_t* in, uint8_t* out) {
        const __m128i a = _mm_srai_epi16(Sse2Lanes::Load(in), 6);
        const __m128i b = _mm_srai_epi16(Sse2Lanes::Load(in + 16), 6);
        Sse2Lanes::Store(out, _mm_packus_epi16(a, b));
      },
      [](const uint8_t* in, uint8_t* out) {
        const __m128i a = _mm_srai_epi16(Sse2Lanes::Load64(in), 6);
        Sse2Lanes::Store32(out, _mm_packus_epi16(a, a));
      });
}

}  // namespace

const LanczosPasses& LanczosPassesSse2() {
  static const LanczosPasses passes{Vertical<Sse2Lanes>, Horizontal<Sse2Lanes>, Widening, Narrowing};
  return passes;
}

}  // namespace Media
