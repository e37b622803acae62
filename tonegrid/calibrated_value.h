#pragma once

#include "tonegrid/calibration_state.h"

namespace tonegrid {

// The byte a calibrated channel shows for level x (0 ... 1): (x^gamma * contrast + black - 1) * 255,
// truncated and limited to 0 ... 255, 0 when the result is not a number. The player applies the
// same curve to its output (rounding instead of truncating), so the patterns show what it shows.
int CalibratedValue(const ChannelCalibration& channel, double x);

// Linear light to the output transfer's non-linear value, odd-symmetric; unknown codes use sRGB.
double EncodeTransfer(int type, double x);

}  // namespace tonegrid
