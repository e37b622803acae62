#include "app/colour_setup.h"

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/level_tables.h"
#include "playback/colour_refresh.h"
#include "scale/apply_picture_settings.h"

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
  playback::RebuildRgb(s);
  // The levels the user stored, not neutral ones, from the first picture on.
  color::SetPictureLevels(s.brightness / 100.0, s.contrast / 100.0, s.saturation / 100.0);
}

void InitFrameProcessorFromSettings(scale::NormalQualityConverter& fp, const common::Settings& s) {
  scale::NormalQualitySettings picture;
  picture.brightness = s.brightness / 100.0;
  picture.contrast = s.contrast / 100.0;
  picture.saturation = s.saturation / 100.0;
  picture.yGamma = s.yGamma / 100.0;
  picture.cGamma = s.cGamma / 100.0;
  picture.yuvType = s.yuvType;
  picture.sourceType = s.rgbType;
  picture.outputType = s.rgbType2;
  picture.monitorBrightness = s.monBright;
  picture.displayGamma = {s.rGamma * 0.1, s.gGamma * 0.1, s.bGamma * 0.1};
  picture.monitorGamma = {s.monRG / 100.0, s.monGG / 100.0, s.monBG / 100.0};
  picture.monitorLevel = {s.monRB / 100.0, s.monGB / 100.0, s.monBB / 100.0};
  picture.monitorContrast = {s.monRC / 100.0, s.monGC / 100.0, s.monBC / 100.0};
  scale::ApplyPictureSettings(fp, picture);
}

}  // namespace app
