#include "color/colour_dsp.h"

namespace color {

ColourDsp BuildColourDsp() {
  // SSE2 is part of x86-64: its variants are the floor.
  if (common::CpuFlags() & common::kCpuAvx2) {
    return {ChromaPassesAvx2(), InterpolateBandAvx2};
  }
  return {ChromaPassesSse2(), InterpolateBandSse2};
}

}  // namespace color
