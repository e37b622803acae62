#include "app/colour_setup.h"

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/level_tables.h"
#include "playback/colour_refresh.h"
#include "scale/normal_quality_converter.h"

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
  using scale::Channel;
  fp.SetBrightness(s.brightness / 100.0);
  fp.SetContrast(s.contrast / 100.0);
  fp.SetSaturation(s.saturation / 100.0);
  fp.SetYuvMatrix(s.yuvType);
  fp.SetSourceTransfer(s.rgbType);
  fp.SetOutputTransfer(s.rgbType2);
  fp.SetMonitorBrightness(s.monBright);
  fp.SetMonitorGamma(Channel::kRed, s.monRG / 100.0);
  fp.SetMonitorGamma(Channel::kGreen, s.monGG / 100.0);
  fp.SetMonitorGamma(Channel::kBlue, s.monBG / 100.0);
  fp.SetMonitorContrast(Channel::kRed, s.monRC / 100.0);
  fp.SetMonitorContrast(Channel::kGreen, s.monGC / 100.0);
  fp.SetMonitorContrast(Channel::kBlue, s.monBC / 100.0);
  fp.SetMonitorLevel(Channel::kRed, s.monRB / 100.0);
  fp.SetMonitorLevel(Channel::kGreen, s.monGB / 100.0);
  fp.SetMonitorLevel(Channel::kBlue, s.monBB / 100.0);
  fp.SetYGamma(s.yGamma / 100.0);
  fp.SetCGamma(s.cGamma / 100.0);
  fp.SetDisplayGamma(Channel::kRed, s.rGamma * 0.1);
  fp.SetDisplayGamma(Channel::kGreen, s.gGamma * 0.1);
  fp.SetDisplayGamma(Channel::kBlue, s.bGamma * 0.1);
}

}  // namespace app
