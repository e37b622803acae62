#include "app/setting_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>

#include "app/colour_setup.h"
#include "app/commands.h"
#include "color/colour_state.h"
#include "color/conversion_accuracy.h"
#include "color/level_tables.h"
#include "color/rebuild_colour_tables.h"
#include "color/transfer.h"
#include "common/allocation_lock.h"
#include "common/format.h"
#include "platform/mixer/mixer.h"
#include "playback/colour_refresh.h"
#include "scale/normal_quality_converter.h"

namespace app {
namespace {

using common::SharedInt;
using scale::Channel;
using scale::NormalQualityConverter;

// Stored values are not bounded, so a step is taken in 64 bits before it is cut.
int32_t Up(int32_t value, int32_t step, int32_t most) {
  return static_cast<int32_t>(std::min<int64_t>(int64_t{value} + step, most));
}
int32_t Down(int32_t value, int32_t step, int32_t least) {
  return static_cast<int32_t>(std::max<int64_t>(int64_t{value} - step, least));
}

// The new value of a stepped setting is in its field; `cut` says the step stopped at a bound.
using ApplyFn = void (*)(const SettingCommandContext& c, int32_t value, bool cut);

// Brightness, contrast, saturation and the luma and chroma gammas: the frame processor gets
// the value as a factor, the colour model the refresh.
template <void (NormalQualityConverter::*Set)(double)>
void ApplyPicture(const SettingCommandContext& c, int32_t value, bool) {
  (c.frameProcessor.*Set)(value / 100.0);
  playback::RefreshColour(c.settings);
}

// A display gamma goes to the colour model's channel tables only; a step cut at its bound
// rebuilds nothing.
void ApplyDisplayGamma(const SettingCommandContext& c, int32_t, bool cut) {
  if (!cut) {
    playback::RebuildRgb(c.settings);
  }
}

void ApplyYcOffset(const SettingCommandContext& c, int32_t value, bool) {
  c.frameProcessor.SetYcOffset(value);
}

void ApplyMonitorBrightness(const SettingCommandContext& c, int32_t value, bool) {
  color::SetMonitorBrightness(value);
  c.frameProcessor.SetMonitorBrightness(value);
  playback::RebuildRgb(c.settings);
}

// A setting a pair of keys steps within its bounds, and its message: the label, the stored
// value in units of 10^-decimals, and the suffix.
struct SteppedSetting {
  int up;
  int down;
  SharedInt common::Settings::*field;
  int32_t step;
  int32_t least;
  int32_t most;
  ApplyFn apply;
  const char* label;
  int decimals;
  const char* suffix;
};

using S = common::Settings;
using NQC = NormalQualityConverter;
constexpr SteppedSetting kSteppedSettings[] = {
    {kCmdBrightnessUp, kCmdBrightnessDown, &S::brightness, 5, 0, 500, ApplyPicture<&NQC::SetBrightness>,
     "Brightness", 0, "%"},
    {kCmdContrastUp, kCmdContrastDown, &S::contrast, 5, 0, 500, ApplyPicture<&NQC::SetContrast>, "Contrast",
     0, "%"},
    {kCmdSaturationUp, kCmdSaturationDown, &S::saturation, 5, 0, 500, ApplyPicture<&NQC::SetSaturation>,
     "Saturation", 0, "%"},
    {kCmdCGammaUp, kCmdCGammaDown, &S::cGamma, 5, 5, 500, ApplyPicture<&NQC::SetCGamma>, "C-Gamma", 2, ""},
    {kCmdYGammaUp, kCmdYGammaDown, &S::yGamma, 5, 5, 500, ApplyPicture<&NQC::SetYGamma>, "Y-Gamma", 2, ""},
    {kCmdRGammaUp, kCmdRGammaDown, &S::rGamma, 1, 10, 30, ApplyDisplayGamma, "R-Gamma", 1, ""},
    {kCmdGGammaUp, kCmdGGammaDown, &S::gGamma, 1, 10, 30, ApplyDisplayGamma, "G-Gamma", 1, ""},
    {kCmdBGammaUp, kCmdBGammaDown, &S::bGamma, 1, 10, 30, ApplyDisplayGamma, "B-Gamma", 1, ""},
    {kCmdYcOffsetUp, kCmdYcOffsetDown, &S::ycOffset, 1, -5, 5, ApplyYcOffset, "Y/C Offset", 0, " pixel"},
    {kCmdMonitorBrightnessUp, kCmdMonitorBrightnessDown, &S::monBright, 5, 0, 200, ApplyMonitorBrightness,
     "Monitor Brightness", 0, "%"},
};

void Step(const SettingCommandContext& c, const SteppedSetting& s, bool up) {
  SharedInt& setting = c.settings.*s.field;
  const int32_t old = setting;
  const int32_t value = up ? Up(old, s.step, s.most) : Down(old, s.step, s.least);
  const bool cut = value != int64_t{old} + (up ? s.step : -s.step);
  setting = value;
  s.apply(c, value, cut);
  constexpr double kUnits[] = {1, 0.1, 0.01};
  c.osd.ShowMessage(common::Format("%s: %.*f%s", s.label, s.decimals, value * kUnits[s.decimals], s.suffix));
}

// 0 → 2 → 1 → 3 → 0; a value outside the cycle starts it again.
int32_t NextTransfer(int32_t code) {
  switch (code) {
    case color::kTransferSrgb:
      return color::kTransferConstantGamma;
    case color::kTransferConstantGamma:
      return color::kTransferBt709;
    case color::kTransferBt709:
      return color::kTransferSmpte240M;
    default:
      return color::kTransferSrgb;
  }
}

// The source or the output transfer steps on; the channel tables are rebuilt for it.
void Transfer(const SettingCommandContext& c, bool output) {
  SharedInt& setting = output ? c.settings.rgbType2 : c.settings.rgbType;
  const int32_t code = NextTransfer(setting);
  setting = code;
  if (output) {
    color::SetOutputTransfer(code);
    c.frameProcessor.SetOutputTransfer(code);
  } else {
    color::SetSourceTransfer(code);
    c.frameProcessor.SetSourceTransfer(code);
  }
  playback::RebuildRgb(c.settings);
  c.osd.ShowMessage(std::string(output ? "RGB Output is " : "RGB Source is ") + color::TransferName(code));
}

void ResetColour(const SettingCommandContext& c) {
  common::Settings& s = c.settings;
  s.brightness = 100;
  s.contrast = 100;
  s.saturation = 100;
  s.yGamma = 100;
  s.cGamma = 100;
  s.rGamma = 22;
  s.gGamma = 22;
  s.bGamma = 22;
  NormalQualityConverter& fp = c.frameProcessor;
  fp.SetBrightness(1.0);
  fp.SetSaturation(1.0);
  fp.SetContrast(1.0);
  fp.SetYGamma(1.0);
  fp.SetCGamma(1.0);
  fp.SetDisplayGamma(Channel::kRed, 2.2);
  fp.SetDisplayGamma(Channel::kGreen, 2.2);
  fp.SetDisplayGamma(Channel::kBlue, 2.2);
  playback::RefreshColour(s);
  playback::RebuildRgb(s);
  c.osd.ShowMessage("Reset Color");
}

void Dcc(const SettingCommandContext& c) {
  const bool on = c.settings.enableDcc == 0;
  c.settings.enableDcc = on ? 1 : 0;
  if (on) {
    c.frameProcessor.SetDcc(true);
    c.setDccChecked(true);
    c.osd.ShowMessage("DCC enabled");
    return;
  }
  color::ResetHistograms();
  c.frameProcessor.SetDcc(false);
  c.setDccChecked(false);
  playback::RefreshColour(c.settings);
  c.osd.ShowMessage("DCC Disabled");
}

void Resizer(const SettingCommandContext& c) {
  switch (c.settings.resizeType) {
    case 0:
      c.settings.resizeType = 1;
      c.osd.ShowMessage("Using Lanczos-3 Resizer");
      break;
    case 1:
      c.settings.resizeType = 2;
      c.osd.ShowMessage("No Resizer");
      break;
    case 2:
      c.settings.resizeType = 0;
      c.osd.ShowMessage("Using DirectDraw Resizer");
      break;
    default:
      break;
  }
}

void Volume(const SettingCommandContext& c, bool up) {
  uint32_t volume = 0;
  if (c.mixer == nullptr || !c.mixer->GetVolume(&volume)) {
    return;
  }
  volume = up ? std::min(volume + 100, c.mixer->Maximum()) : volume - std::min<uint32_t>(volume, 100);
  c.mixer->SetVolume(volume);
  c.osd.ShowMessage(
      common::Format(up ? "Volume increase to %d" : "Volume decrease to %d", static_cast<int>(volume)));
}

// The YUV source steps 0 → 1 → 5 → 0 and 3 → 4; FCC (2) stays and is announced; 4 and any
// other value stay silently.
void YuvSource(const SettingCommandContext& c) {
  int32_t next = 0;
  const char* text = nullptr;
  switch (c.settings.yuvType) {
    case 0:
      next = 1, text = "YUV Source is ITU-R BT.709";
      break;
    case 1:
      next = 5, text = "YUV Source is SMPTE 240M (1987)";
      break;
    case 5:
      next = 0, text = "YUV Source is ITU-R BT.601";
      break;
    case 2:
      next = 2, text = "YUV Source is FCC";
      break;
    case 3:
      next = 4, text = "YUV Source is SMPTE 170M";
      break;
    default:
      return;
  }
  common::Settings& s = c.settings;
  s.yuvType = next;
  // Channel tables stay with neutral display gammas until a display-gamma, transfer,
  // monitor-brightness or reset command builds them with the user's again.
  playback::ChangeYuvMatrix(s);
  if (next == 1 || next == 5 || next == 0) {
    c.frameProcessor.SetYuvMatrix(next);
  }
  c.osd.ShowMessage(text);
}

void AccuracyTest(const SettingCommandContext& c) {
  double maxError = 0;
  double minError = 0;
  double meanAbsError = 0;
  double meanSquareError = 0;
  color::MeasureConversionAccuracy(maxError, minError, meanAbsError, meanSquareError);
  c.showMessageBox(common::Format("Accuracy of YUV to RGB conversion:\n"
                                  "(All values are assumed that the range is 0 - 1)\n"
                                  "Maximum Error per channel = %lf\n"
                                  "Minimum Error per channel = %lf\n"
                                  "Average Absolute Error = %lf\n"
                                  "RMS Error = %lf",
                                  maxError, minError, meanAbsError, std::sqrt(meanSquareError)),
                   "Test");
}

void Toggle(const SettingCommandContext& c, SharedInt& setting, const char* on, const char* off) {
  setting = setting == 0 ? 1 : 0;
  const char* text = setting != 0 ? on : off;
  if (text != nullptr) {
    c.osd.ShowMessage(text);
  }
}

}  // namespace

bool RunSettingCommand(int command, const SettingCommandContext& c) {
  for (const SteppedSetting& stepped : kSteppedSettings) {
    if (command == stepped.up || command == stepped.down) {
      Step(c, stepped, command == stepped.up);
      return true;
    }
  }
  common::Settings& s = c.settings;
  switch (command) {
    case kCmdTest:
      AccuracyTest(c);
      break;
    case kCmdResetColor:
      ResetColour(c);
      break;
    case kCmdSourceTransfer:
      Transfer(c, false);
      break;
    case kCmdDcc:
      Dcc(c);
      break;
    case kCmdWaitVBlank:
      Toggle(c, s.waitVBlank, "Wait for Vertical Blank Enabled", "Wait for Vertical Blank Disabled");
      break;
    case kCmdOsd:
      Toggle(c, s.osdEnable, "OSD Enabled", nullptr);
      break;
    case kCmdResizer:
      Resizer(c);
      break;
    case kCmdNormalQuality:
      s.hqMode = 0;
      c.osd.ShowMessage("Normal Quality Mode");
      break;
    case kCmdVolumeUp:
      Volume(c, true);
      break;
    case kCmdVolumeDown:
      Volume(c, false);
      break;
    case kCmdYuvSource:
      YuvSource(c);
      break;
    case kCmdOutputTransfer:
      Transfer(c, true);
      break;
    default:
      return false;
  }
  return true;
}

std::string AvSyncMessage(int32_t avSync, int32_t audioDelay) {
  if (audioDelay == 0) return common::Format("AV Sync: %d ms", avSync);
  if (audioDelay > 0) return common::Format("AV Sync: %d ms + %d ms", avSync, audioDelay);
  return common::Format("AV Sync: %d ms - %d ms", avSync, -audioDelay);
}

}  // namespace app
