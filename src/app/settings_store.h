#pragma once

#include "common/settings.h"

namespace app {

// Reads the 33 stored values in their fixed order into `settings` (a value missing from the
// store keeps its default), applies a stored process priority class, and corrects NTAP.
void LoadSettings(common::Settings& settings);

// Writes the 19 saved values in their fixed order, then the priority class in force.
// Values the player only reads (calibration, NTAP, UseWaveOut, ForceWidth/Height) are never
// written. Returns false when the store could not be opened or written.
bool SaveSettings(const common::Settings& settings);

}  // namespace app
