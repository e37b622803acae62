#pragma once

#include <QImage>
#include <cstdint>

#include "tonegrid/calibration_state.h"

namespace tonegrid {

// Overlay name of pattern 0 ... 20.
const char* PatternName(int index);

// Writes red * 65536 + green * 256 + blue into every pixel of [left, right) x [top, bottom) of a
// Format_RGB32 image; the rectangle is clipped to the image.
void FillRect(QImage& image, int left, int top, int right, int bottom, std::uint32_t colour);

// Draws the state's pattern over the whole Format_RGB32 image, without the overlay line.
void DrawPattern(QImage& image, const CalibrationState& state);

// The pattern followed by its overlay line: what the screen shows after every change.
void DrawCurrentPattern(QImage& image, const CalibrationState& state);

}  // namespace tonegrid
