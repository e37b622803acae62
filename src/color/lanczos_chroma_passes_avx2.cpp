#include "color/lanczos_chroma_passes.h"
#include "color/lanczos_chroma_passes_simd.h"

namespace color {

ChromaPasses ChromaPassesAvx2() {
  using common::simd::Avx2Lanes;
  return {VerticalChromaPassWith<Avx2Lanes>, HorizontalChromaPassWith<Avx2Lanes>};
}

}  // namespace color
