#include "color/lanczos_chroma_passes.h"
#include "color/lanczos_chroma_passes_simd.h"

namespace color {

ChromaPasses ChromaPassesSse2() {
  using common::simd::Sse2Lanes;
  return {VerticalChromaPassWith<Sse2Lanes>, HorizontalChromaPassWith<Sse2Lanes>};
}

}  // namespace color
