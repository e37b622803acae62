#include "color/yuv_matrix.h"

namespace color {

LumaCoefficients GetLumaCoefficients(YuvMatrixCode code) {
  switch (code) {
    case 0:
      // Deliberately not 0.299/0.114: the BT.601 entry keeps its own rounding.
      return {0.2985, 0.1135};
    case 1:
      return {0.2126, 0.0722};
    case 2:
      return {0.30, 0.11};
    case 5:
      return {0.212, 0.087};
    default:
      return {0.299, 0.114};
  }
}

ChromaCoefficients GetChromaCoefficients(YuvMatrixCode code) {
  const LumaCoefficients k = GetLumaCoefficients(code);
  const double kg = k.kg();
  return {2 * (1 - k.kr), 2 * (1 - k.kb), -2 * k.kb * (1 - k.kb) / kg, -2 * k.kr * (1 - k.kr) / kg};
}

const char* YuvMatrixMessage(YuvMatrixCode code) {
  switch (code) {
    case 0:
      return "YUV Source is ITU-R BT.601";
    case 1:
      return "YUV Source is ITU-R BT.709";
    case 2:
      return "YUV Source is FCC";
    case 4:
      return "YUV Source is SMPTE 170M";
    case 5:
      return "YUV Source is SMPTE 240M (1987)";
    default:
      return nullptr;
  }
}

}  // namespace color
