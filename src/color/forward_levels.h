#pragma once

#include <algorithm>
#include <cstdint>

#include "color/colour_tables.h"

namespace color {

// The forward matrix of one conversion, taken once per picture: 16-bit Y, Cb and Cr of an
// 8-bit R, G, B triple as sums of table entries, and their quantisation to video range.
struct ForwardLevels {
  int32_t yR[256], yG[256], yB[256];
  int32_t cbR[256], cbG[256], cbB[256];
  int32_t crR[256], crG[256], crB[256];

  int32_t Y(int r, int g, int b) const { return yR[r] + yG[g] + yB[b]; }
  int32_t Cb(int r, int g, int b) const { return cbR[r] + cbG[g] + cbB[b]; }
  int32_t Cr(int r, int g, int b) const { return crR[r] + crG[g] + crB[b]; }
};

void LoadForwardLevels(const ForwardMatrix& matrix, ForwardLevels& levels);

// Unsigned 16-bit luma, made signed and saturated to 16 bits, back at its unsigned index.
inline uint8_t QuantiseLuma(const LumaQuantiser& quantiser, int32_t y) {
  return quantiser[static_cast<size_t>(std::clamp(y - 32768, -32768, 32767) + 32768)];
}

// Signed chroma saturated to 16 bits, looked up by those 16 bits.
inline uint8_t QuantiseChroma(const ChromaQuantiser& quantiser, int32_t c) {
  return quantiser[static_cast<uint16_t>(std::clamp(c, -32768, 32767))];
}

}  // namespace color
