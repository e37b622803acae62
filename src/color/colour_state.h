#pragma once

#include <cstdint>

#include "color/colour_tables.h"
#include "color/picture_model.h"
#include "common/lock.h"

namespace color {

// The one process-wide state of the high-quality conversion.
struct ColourState {
  // Guards the parameters and serialises the table builders, which run on the user-interface
  // thread and, for the DCC rebuilds, on the decoding thread. A leaf lock: nothing else is
  // taken while it is held. Kernels never take it; they read only the tables.
  common::Lock lock;

  // The display gammas of `params` stay 2.2: they are arguments of BuildChannelTables, not kept.
  PictureParams params;
  int32_t monitorBrightnessPercent = 100;  // `MonBright`; the channel build divides by 100

  ColourTables tables;
};

ColourState& GetColourState();
inline ColourTables& GetColourTables() { return GetColourState().tables; }

// Start-up: every picture parameter and monitor factor neutral, the codes and `MonBright`
// stored, then RebuildColourTables. The first three arguments are not used; the picture levels
// arrive through SetPictureLevels.
void InitColour(double brightness, double contrast, double saturation, YuvMatrixCode matrix,
                TransferCode source, TransferCode output, int32_t monitorBrightness);
// Shut-down: frees every table and the kernels' scratch, and stops the field workers.
void ReleaseColour();

// Setters: each only stores its value; the builder named beside it uses it next time.
void SetYGamma(double gamma);                           // BuildLevelTables
void SetCGamma(double gamma);                           // BuildLevelTables
void SetSourceTransfer(TransferCode code);              // BuildChannelTables
void SetOutputTransfer(TransferCode code);              // BuildChannelTables
void SetMonitorBrightness(int32_t percent);             // BuildChannelTables
void SetMonitorGamma(double r, double g, double b);     // BuildChannelTables
void SetMonitorContrast(double r, double g, double b);  // BuildChannelTables
void SetMonitorLevel(double r, double g, double b);     // BuildChannelTables
void SetYuvMatrix(YuvMatrixCode code);                  // RebuildColourTables, BuildLevelTables

}  // namespace color
