#pragma once

#include <array>
#include <cstdint>

#include "scale/normal_quality_statistics.h"

namespace scale {

// The picture settings of the frame processor, as the table builders read them.
struct NormalQualitySettings {
  double brightness = 1.0;  // adds brightness − 1 to luma (full scale 1)
  double contrast = 1.0;
  double saturation = 1.0;
  double yGamma = 1.0;
  double cGamma = 1.0;
  int32_t yuvType = 0;
  int32_t sourceType = 0;           // transfer decoded by the output tables
  int32_t outputType = 0;           // transfer encoded by the output tables
  int32_t monitorBrightness = 100;  // percent of linear light
  // Per channel, R, G, B.
  std::array<double, 3> displayGamma = {2.2, 2.2, 2.2};
  std::array<double, 3> monitorGamma = {1.0, 1.0, 1.0};
  std::array<double, 3> monitorLevel = {1.0, 1.0, 1.0};
  std::array<double, 3> monitorContrast = {1.0, 1.0, 1.0};
};

// Lanes of an input entry and of a summed pixel value: B, G, R and one without meaning.
constexpr int kLanes = 4;

// Signed 16-bit contributions of each Y, U and V byte; 1.0 is 32767 / 4.
struct alignas(16) InputTable {
  int16_t y[256][kLanes];  // L(y) in every lane
  int16_t u[256][kLanes];  // (Bu, Gu, 0, 0)
  int16_t v[256][kLanes];  // (0, Gv, Rv, 0)
};

// One byte per 16-bit lane value, indexed by the value read as unsigned, so that the summed
// pixel needs no clamping before the lookup.
struct OutputTables {
  static constexpr int kSize = 65536;
  uint8_t r[kSize];
  uint8_t g[kSize];
  uint8_t b[kSize];
  // Vector gathers read four bytes at an index; these keep the last index inside the tables.
  uint8_t gatherPadding[3];
};

// Luma and chroma curves from the level statistics (flat statistics give the plain
// video-range ramps), then the matrix and saturation.
void BuildInputTable(const NormalQualitySettings& settings, const LevelStatistics& statistics,
                     InputTable& table);

// Source transfer decoded, monitor brightness in linear light, output transfer encoded, then
// each channel's display gamma and monitor calibration, rounded to bytes.
void BuildOutputTables(const NormalQualitySettings& settings, OutputTables& tables);

}  // namespace scale
