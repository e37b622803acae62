#include "color/transfer.h"

#include <cmath>

namespace color {
namespace {

const TransferConstants kSrgb = {0.040449936, 0.0031308, 12.92, 0.055, 1.0 / 2.4, 2.4};
const TransferConstants kBt709 = {0.081, 0.018, 4.5, 0.099, 0.45, 1.0 / 0.45};
const TransferConstants kConstantGamma = {0.0, 0.0, 0.0, 0.0, 1.0 / 2.2, 2.2};
const TransferConstants kSmpte240M = {0.0912, 0.0228, 4.0, 0.1115, 0.45, 1.0 / 0.45};

}  // namespace

const TransferConstants& GetTransferConstants(TransferCode code) {
  switch (code) {
    case kTransferBt709:
      return kBt709;
    case kTransferConstantGamma:
      return kConstantGamma;
    case kTransferSmpte240M:
      return kSmpte240M;
    default:
      return kSrgb;
  }
}

// Both directions are odd functions: values below black (out of gamut) mirror those above it.
// A constant gamma is the general curve without a linear segment or an offset.
double ToLinear(TransferCode code, double x) {
  if (x < 0) {
    return -ToLinear(code, -x);
  }
  const TransferConstants& c = GetTransferConstants(code);
  if (x < c.toLinearThreshold) {
    return x / c.slope;
  }
  return std::pow((x + c.offset) / (1 + c.offset), c.toLinearExponent);
}

double FromLinear(TransferCode code, double linear) {
  if (linear < 0) {
    return -FromLinear(code, -linear);
  }
  const TransferConstants& c = GetTransferConstants(code);
  if (linear <= c.fromLinearThreshold) {
    return c.slope * linear;
  }
  return (1 + c.offset) * std::pow(linear, c.fromLinearExponent) - c.offset;
}

const char* TransferName(TransferCode code) {
  switch (code) {
    case kTransferBt709:
      return "Bt.709";
    case kTransferConstantGamma:
      return "Constant Gamma";
    case kTransferSmpte240M:
      return "SMPTE 240M (NTSC)";
    default:
      return "sRGB";
  }
}

}  // namespace color
