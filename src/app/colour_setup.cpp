#include "app/colour_setup.h"

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/level_tables.h"

namespace app {

void InitColourFromSettings(const common::Settings& s) {
  color::InitColour(s.brightness / 100.0, s.contrast / 100.0, s.saturation / 100.0, s.yuvType, s.rgbType,
                    s.rgbType2, s.monBright);
  color::SetYuvMatrix(s.yuvType);
  color::SetMonitorGamma(s.monRG / 100.0, s.monGG / 100.0, s.monBG / 100.0);
  color::SetMonitorContrast(s.monRC / 100.0, s.monGC / 100.0, s.monBC / 100.0);
  color::SetMonitorLevel(s.monRB / 100.0, s.monGB / 100.0, s.monBB / 100.0);
  color::SetYGamma(s.yGamma / 100.0);
  color::SetCGamma(s.cGamma / 100.0);
  color::BuildChannelTables(s.rGamma * 0.1, s.gGamma * 0.1, s.bGamma * 0.1);
  color::BuildLevelTables();
}

}  // namespace app
