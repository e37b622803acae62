#pragma once

#include <array>
#include <cstdint>

#include "color/transfer.h"
#include "color/yuv_matrix.h"

namespace color {

// Every parameter of the picture model as a real number, neutral by default. The tables and
// kernels sample this model; the evaluator below computes it exactly, as the reference they
// are tested against.
struct PictureParams {
  double brightness = 1.0;  // b: luma gains b − 1
  double contrast = 1.0;    // ct
  double saturation = 1.0;  // s
  double yGamma = 1.0;
  double cGamma = 1.0;
  std::array<double, 3> displayGamma = {2.2, 2.2, 2.2};  // R, G, B
  std::array<double, 3> monitorGamma = {1.0, 1.0, 1.0};
  std::array<double, 3> monitorContrast = {1.0, 1.0, 1.0};
  std::array<double, 3> monitorLevel = {1.0, 1.0, 1.0};
  double monitorBrightness = 1.0;  // M, a linear-light gain (`MonBright` / 100)
  YuvMatrixCode matrix = 0;
  TransferCode source = kTransferSrgb;
  TransferCode output = kTransferConstantGamma;
};

using Rgb8 = std::array<uint8_t, 3>;  // R, G, B

// Luma and chroma distribution with dynamic contrast control off.
double LinearLumaDistribution(int y);
double LinearChromaDistribution(int magnitude);

// The model's value before the output transfer for one channel: Y' plus the matrixed chroma.
std::array<double, 3> MatrixRgb(const PictureParams& p, int y, int cb, int cr);

// Shared by the three channels: the source transfer undone, the monitor brightness
// applied in linear light, the output transfer applied.
double OutputLight(const PictureParams& p, double v);

// The display gamma, monitor calibration and rounding of channel `channel` (0 R, 1 G, 2 B) for
// the value l from OutputLight; an l below 0 counts as 0, so it shows the channel's calibrated
// black.
uint8_t ChannelByte(const PictureParams& p, int channel, double l);

// The byte of a channel for the value l with the display exponent and the monitor's contrast
// and black level; an l below 0 counts as 0. Rounded as RoundToByte.
uint8_t CalibratedByte(double l, double exponent, double contrast, double level);

// OutputLight then ChannelByte: the output byte of channel `channel` for a matrixed value v.
uint8_t OutputByte(const PictureParams& p, int channel, double v);

// The whole model for one 8-bit Y'CbCr triple, DCC off.
Rgb8 EvaluatePictureModel(const PictureParams& p, int y, int cb, int cr);

// Output rounding: to nearest with halves up (trunc(o) + (trunc(2o) & 1)), clamped to
// 0 … 255; NaN gives 0.
uint8_t RoundToByte(double o);

}  // namespace color
