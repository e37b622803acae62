#include "tonegrid/calibration_state.h"

namespace tonegrid {

const char* TransferName(int type) {
  switch (type) {
    case 0:
      return "sRGB";
    case 1:
      return "Bt.709";
    case 2:
      return "Constant Gamma";
    case 3:
      return "SMPTE 240M (NTSC)";
    default:
      return "Unknown";
  }
}

int NextTransferType(int type) {
  switch (type) {
    case 0:
      return 2;
    case 2:
      return 1;
    case 1:
      return 3;
    default:
      return 0;
  }
}

}  // namespace tonegrid
