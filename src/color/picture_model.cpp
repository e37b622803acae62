#include "color/picture_model.h"

#include <cmath>
#include <cstdlib>

namespace color {

double LinearLumaDistribution(int y) {
  if (y <= 16) {
    return 0.0;
  }
  if (y >= 235) {
    return 1.0;
  }
  return (y - 16) / 219.0;
}

double LinearChromaDistribution(int magnitude) { return magnitude / 112.0; }

std::array<double, 3> MatrixRgb(const PictureParams& p, int y, int cb, int cr) {
  const double luma = std::pow(LinearLumaDistribution(y), p.yGamma) * p.contrast + (p.brightness - 1);
  auto chroma = [&p](int c) {
    const int m = std::abs(c - 128);
    const double a = std::pow(LinearChromaDistribution(m), p.cGamma) / 2;
    return c < 128 ? -a : a;
  };
  const double aCb = chroma(cb);
  const double aCr = chroma(cr);
  const ChromaCoefficients k = GetChromaCoefficients(p.matrix);
  return {luma + p.saturation * k.crR * aCr, luma + p.saturation * (k.cbG * aCb + k.crG * aCr),
          luma + p.saturation * k.cbB * aCb};
}

uint8_t RoundToByte(double o) {
  if (std::isnan(o) || o < 0) {
    return 0;
  }
  if (o > 255) {
    return 255;
  }
  return static_cast<uint8_t>(static_cast<int>(o) + (static_cast<int>(2 * o) & 1));
}

double OutputLight(const PictureParams& p, double v) {
  return FromLinear(p.output, ToLinear(p.source, v) * p.monitorBrightness);
}

uint8_t ChannelByte(const PictureParams& p, int channel, double l) {
  const double exponent = p.displayGamma[channel] / 2.2 * p.monitorGamma[channel];
  return CalibratedByte(l, exponent, p.monitorContrast[channel], p.monitorLevel[channel]);
}

uint8_t CalibratedByte(double l, double exponent, double contrast, double level) {
  // Below black is black before the display gamma, so an out-of-gamut colour shows the
  // calibrated black level rather than undoing it.
  const double black = l < 0 ? 0.0 : l;
  return RoundToByte((std::pow(black, exponent) * contrast + level - 1) * 255);
}

uint8_t OutputByte(const PictureParams& p, int channel, double v) {
  return ChannelByte(p, channel, OutputLight(p, v));
}

Rgb8 EvaluatePictureModel(const PictureParams& p, int y, int cb, int cr) {
  const std::array<double, 3> v = MatrixRgb(p, y, cb, cr);
  return {OutputByte(p, 0, v[0]), OutputByte(p, 1, v[1]), OutputByte(p, 2, v[2])};
}

}  // namespace color
