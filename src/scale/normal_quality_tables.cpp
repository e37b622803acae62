#include "scale/normal_quality_tables.h"

#include <cmath>

#include "color/fixed_point.h"
#include "color/level_distribution.h"
#include "color/picture_model.h"
#include "color/transfer.h"
#include "color/yuv_matrix.h"

namespace scale {
namespace {

constexpr double kLumaScale = 32767 * 0.25;  // 16-bit value of 1.0
constexpr double kChromaScale = 16383;       // chroma value of a full-scale magnitude

// Rounded to nearest, since a pixel sums several entries, and clamped to the 16-bit lane; a
// value that is not a number adds nothing.
int16_t ToLane(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value <= -32768.0) {
    return -32768;
  }
  if (value >= 32767.0) {
    return 32767;
  }
  return static_cast<int16_t>(color::RoundToInt(value));
}

// Unknown transfer types pass values through unchanged.
double Decode(int32_t type, double x) {
  return type >= color::kTransferSrgb && type <= color::kTransferSmpte240M ? color::ToLinear(type, x) : x;
}

double Encode(int32_t type, double linear) {
  return type >= color::kTransferSrgb && type <= color::kTransferSmpte240M ? color::FromLinear(type, linear)
                                                                           : linear;
}

}  // namespace

void BuildInputTable(const NormalQualitySettings& settings, const LevelStatistics& statistics,
                     InputTable& table) {
  const std::array<double, 256> f = color::LumaDistribution(statistics.luma);
  for (int y = 0; y < 256; ++y) {
    const double luma =
        std::pow(f[y] / f[255], settings.yGamma) * settings.contrast + settings.brightness - 1;
    const int16_t lane = ToLane(luma * kLumaScale);
    for (int16_t& value : table.y[y]) {
      value = lane;
    }
  }

  const std::array<double, 129> g = color::ChromaDistribution(statistics.chroma);
  // Magnitudes beyond 112 (outside video range) come out above 1.
  const double normaliser = g[112];
  const color::ChromaCoefficients k = color::GetChromaCoefficients(settings.yuvType);
  const double s = settings.saturation;
  for (int c = 0; c < 256; ++c) {
    double r = 0;
    if (c > 128) {
      r = std::pow(g[c - 128] / normaliser, settings.cGamma);
    } else if (c < 128) {
      r = -std::pow(g[128 - c] / normaliser, settings.cGamma);
    }
    const double h = r * kChromaScale;
    table.u[c][0] = ToLane(h * k.cbB * s * 0.25);
    table.u[c][1] = ToLane(h * k.cbG * s * 0.25);
    table.u[c][2] = 0;
    table.u[c][3] = 0;
    table.v[c][0] = 0;
    table.v[c][1] = ToLane(h * k.crG * s * 0.25);
    table.v[c][2] = ToLane(h * k.crR * s * 0.25);
    table.v[c][3] = 0;
  }
}

void BuildOutputTables(const NormalQualitySettings& settings, OutputTables& tables) {
  uint8_t* channels[3] = {tables.r, tables.g, tables.b};
  double gamma[3];
  for (int c = 0; c < 3; ++c) {
    gamma[c] = settings.displayGamma[c] / 2.2 * settings.monitorGamma[c];
  }
  for (int v = -32768; v <= 32767; ++v) {
    const double x = v / 32767.0 * 4;
    const double linear = Decode(settings.sourceType, x) * settings.monitorBrightness / 100;
    const double encoded = Encode(settings.outputType, linear);
    const uint16_t index = static_cast<uint16_t>(v);
    for (int c = 0; c < 3; ++c) {
      channels[c][index] =
          color::CalibratedByte(encoded, gamma[c], settings.monitorContrast[c], settings.monitorLevel[c]);
    }
  }
}

}  // namespace scale
