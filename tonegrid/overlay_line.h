#pragma once

#include <QImage>
#include <QString>

#include "tonegrid/calibration_state.h"

namespace tonegrid {

inline constexpr int kOverlayHeight = 18;

// The line naming the pattern, the output transfer and every channel's black level, contrast,
// gamma and test scale.
QString OverlayText(const CalibrationState& state);

// Renders the text in pure green on black into the top rows of the image, as wide as the text
// itself in the application's default font (clipped to the image).
void DrawOverlay(QImage& image, const QString& text);

}  // namespace tonegrid
