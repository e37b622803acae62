#pragma once

#include <QSettings>
#include <QString>
#include <array>

#include "tonegrid/calibration_state.h"

namespace tonegrid {

// A calibration value as stored: hundredths, the integer part of value * 100.
int StoredHundredths(double value);

// Reads the nine Mon* values (hundredths) and RGBType2 from the player's settings; a missing or
// non-integer value keeps its default.
void LoadCalibration(QSettings& settings, CalibrationState& state);

// Writes the nine Mon* values and RGBType2 and leaves every other key alone. False when the
// settings file could not be written.
bool SaveCalibration(QSettings& settings, const CalibrationState& state);

// The three lines that tell the user which values could not be stored, red, green, blue.
std::array<QString, 3> UnsavedCalibrationTexts(const CalibrationState& state);

}  // namespace tonegrid
