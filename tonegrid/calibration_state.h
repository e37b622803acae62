#pragma once

#include <array>

namespace tonegrid {

inline constexpr int kRed = 0;
inline constexpr int kGreen = 1;
inline constexpr int kBlue = 2;
inline constexpr int kPatternCount = 21;

// One monitor channel's calibration; 1.0 everywhere leaves the channel unchanged.
struct ChannelCalibration {
  double black = 1.0;
  double contrast = 1.0;
  double gamma = 1.0;
};

// Everything the user changes while the patterns are shown.
struct CalibrationState {
  std::array<ChannelCalibration, 3> channels;  // red, green, blue
  std::array<double, 3> testScales{1.0, 1.0, 1.0};
  int transferType = 0;  // output transfer code, as stored in RGBType2
  int pattern = 0;
  bool shift = false;
  bool ctrl = false;
};

// Display name of an output transfer code; codes without one show "Unknown".
const char* TransferName(int type);

// The output transfer cycle 0 -> 2 -> 1 -> 3 -> 0; an unknown code goes back to 0.
int NextTransferType(int type);

}  // namespace tonegrid
