#include "scale/apply_picture_settings.h"

#include "scale/normal_quality_converter.h"

namespace scale {

void ApplyPictureSettings(NormalQualityConverter& converter, const NormalQualitySettings& settings) {
  converter.SetBrightness(settings.brightness);
  converter.SetContrast(settings.contrast);
  converter.SetSaturation(settings.saturation);
  converter.SetYuvMatrix(settings.yuvType);
  converter.SetSourceTransfer(settings.sourceType);
  converter.SetOutputTransfer(settings.outputType);
  converter.SetMonitorBrightness(settings.monitorBrightness);
  for (Channel channel : {Channel::kRed, Channel::kGreen, Channel::kBlue}) {
    const int i = static_cast<int>(channel);
    converter.SetMonitorGamma(channel, settings.monitorGamma[i]);
    converter.SetMonitorContrast(channel, settings.monitorContrast[i]);
    converter.SetMonitorLevel(channel, settings.monitorLevel[i]);
    converter.SetDisplayGamma(channel, settings.displayGamma[i]);
  }
  converter.SetYGamma(settings.yGamma);
  converter.SetCGamma(settings.cGamma);
}

}  // namespace scale
