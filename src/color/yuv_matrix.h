#pragma once

#include <cstdint>

namespace color {

// The source matrix (`YUVType`). Codes 3 and 4 share coefficients; 3 is reachable only from a
// stored setting. Any other stored value is treated as code 4 (SMPTE 170M), the common
// standard-definition matrix.
using YuvMatrixCode = int32_t;

struct LumaCoefficients {
  double kr;
  double kb;
  double kg() const { return 1.0 - kr - kb; }
};

LumaCoefficients GetLumaCoefficients(YuvMatrixCode code);

// The chroma-to-RGB coefficients derived from the luma coefficients.
struct ChromaCoefficients {
  double crR;
  double cbB;
  double cbG;
  double crG;
};

ChromaCoefficients GetChromaCoefficients(YuvMatrixCode code);

// The OSD text the matrix command shows for a code ("YUV Source is …"), or nullptr for code 3
// and unknown codes, which no command selects.
const char* YuvMatrixMessage(YuvMatrixCode code);

}  // namespace color
