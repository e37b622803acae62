#include "tonegrid/calibrated_value.h"

#include <cmath>

namespace tonegrid {

int CalibratedValue(const ChannelCalibration& channel, double x) {
  // The offset black - 1 is formed first: adding the black level and taking 1 away afterwards
  // would lose the low bits of x and truncate most byte levels one step down.
  const double v = (std::pow(x, channel.gamma) * channel.contrast + (channel.black - 1.0)) * 255.0;
  if (!(v > 0.0)) return 0;  // negative or not a number
  if (v > 255.0) return 255;
  return static_cast<int>(v);
}

double EncodeTransfer(int type, double x) {
  const double a = std::fabs(x);
  double e;
  switch (type) {
    case 1:
      e = a <= 0.018 ? 4.5 * a : 1.099 * std::pow(a, 0.45) - 0.099;
      break;
    case 2:
      e = std::pow(a, 1.0 / 2.2);
      break;
    case 3:
      e = a <= 0.0228 ? 4.0 * a : 1.1115 * std::pow(a, 0.45) - 0.1115;
      break;
    default:
      e = a <= 0.0031308 ? 12.92 * a : 1.055 * std::pow(a, 1.0 / 2.4) - 0.055;
      break;
  }
  return x < 0.0 ? -e : e;
}

}  // namespace tonegrid
