#include "tonegrid/calibration_settings.h"

#include <cmath>
#include <limits>
#include <optional>

namespace tonegrid {
namespace {

// Keys per channel (red, green, blue), in the order they are read and written.
constexpr const char* kGammaKeys[3] = {"MonRG", "MonGG", "MonBG"};
constexpr const char* kBlackKeys[3] = {"MonRB", "MonGB", "MonBB"};
constexpr const char* kContrastKeys[3] = {"MonRC", "MonGC", "MonBC"};
constexpr const char* kTransferKey = "RGBType2";

// A value reached by 0.01 steps or read as n / 100 lies within rounding noise of a whole number
// of hundredths; truncating that noise (28.999999999999996 for a stored 29) would lower a value
// by one on every run. The tolerance is far above the noise and far below a hundredth.
constexpr double kHundredthsTolerance = 1e-6;

std::optional<int> ReadInt(QSettings& settings, const char* key) {
  const QVariant value = settings.value(QLatin1String(key));
  if (!value.isValid()) return std::nullopt;
  bool ok = false;
  const int n = value.toString().toInt(&ok);
  if (!ok) return std::nullopt;
  return n;
}

double ReadHundredths(QSettings& settings, const char* key) {
  return ReadInt(settings, key).value_or(100) / 100.0;
}

}  // namespace

int StoredHundredths(double value) {
  const double hundredths = value * 100.0;
  const double nudged = hundredths + (hundredths < 0 ? -kHundredthsTolerance : kHundredthsTolerance);
  if (!(std::fabs(nudged) < 2147483647.0))
    return hundredths < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  return static_cast<int>(nudged);
}

void LoadCalibration(QSettings& settings, CalibrationState& state) {
  for (int c = 0; c < 3; ++c) state.channels[c].gamma = ReadHundredths(settings, kGammaKeys[c]);
  for (int c = 0; c < 3; ++c) state.channels[c].black = ReadHundredths(settings, kBlackKeys[c]);
  for (int c = 0; c < 3; ++c) state.channels[c].contrast = ReadHundredths(settings, kContrastKeys[c]);
  state.transferType = ReadInt(settings, kTransferKey).value_or(0);
}

bool SaveCalibration(QSettings& settings, const CalibrationState& state) {
  if (!settings.isWritable()) return false;
  for (int c = 0; c < 3; ++c) settings.setValue(kGammaKeys[c], StoredHundredths(state.channels[c].gamma));
  for (int c = 0; c < 3; ++c) settings.setValue(kBlackKeys[c], StoredHundredths(state.channels[c].black));
  for (int c = 0; c < 3; ++c)
    settings.setValue(kContrastKeys[c], StoredHundredths(state.channels[c].contrast));
  settings.setValue(kTransferKey, state.transferType);
  settings.sync();
  return settings.status() == QSettings::NoError;
}

std::array<QString, 3> UnsavedCalibrationTexts(const CalibrationState& state) {
  constexpr const char* kFormats[3] = {"Red: B=%lf, C=%lf, G=%lf", "Green: B=%lf, C=%lf, G=%lf",
                                       "Blue: B=%lf, C=%lf, G=%lf"};
  std::array<QString, 3> texts;
  for (int c = 0; c < 3; ++c) {
    const auto& ch = state.channels[c];
    texts[c] = QString::asprintf(kFormats[c], ch.black, ch.contrast, ch.gamma);
  }
  return texts;
}

}  // namespace tonegrid
