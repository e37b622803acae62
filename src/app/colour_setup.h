#pragma once

#include "common/settings.h"

namespace scale {
class NormalQualityConverter;
}

namespace app {

// Derives the colour model from the settings at start-up: initialisation, the monitor
// calibration, the luma and chroma gammas, the channel tables with the user's display gammas,
// then the stored picture levels, which build the level tables.
void InitColourFromSettings(const common::Settings& settings);

// Hands the frame processor every picture setting at start-up (no DCC, no Y/C offset).
void InitFrameProcessorFromSettings(scale::NormalQualityConverter& frameProcessor,
                                    const common::Settings& settings);

}  // namespace app
