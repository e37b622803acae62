#pragma once

#include "tonegrid/calibration_state.h"

namespace tonegrid {

enum class KeyResult {
  kNone,    // nothing changed: no redraw
  kRedraw,  // a value or the pattern changed: draw the current pattern again
  kQuit,    // end the program
};

// Applies one key press (a Qt::Key code) to the state. Black level, contrast and gamma keys
// change red, green with Ctrl held, blue with Shift held (Shift wins over Ctrl).
KeyResult HandleKeyDown(CalibrationState& state, int key);

// Follows the release of Shift and Ctrl; other keys do nothing on release.
void HandleKeyUp(CalibrationState& state, int key);

}  // namespace tonegrid
