#pragma once

#include <cstdint>

namespace color {

// Transfer characteristic of the RGB source (`RGBType`) or output (`RGBType2`).
// Any value other than 1 to 3 means sRGB.
using TransferCode = int32_t;
constexpr TransferCode kTransferSrgb = 0;
constexpr TransferCode kTransferBt709 = 1;
constexpr TransferCode kTransferConstantGamma = 2;
constexpr TransferCode kTransferSmpte240M = 3;

// The constants of one characteristic. Constant gamma has no linear segment (k = 0).
struct TransferConstants {
  double toLinearThreshold;    // Tx
  double fromLinearThreshold;  // TL
  double slope;                // k
  double offset;               // α
  double fromLinearExponent;   // g
  double toLinearExponent;
};

const TransferConstants& GetTransferConstants(TransferCode code);

// Non-linear value to linear light and back; both odd-symmetric.
double ToLinear(TransferCode code, double x);
double FromLinear(TransferCode code, double linear);

// The OSD texts "RGB Source is …" and "RGB Output is …" name the characteristic this way.
const char* TransferName(TransferCode code);

}  // namespace color
