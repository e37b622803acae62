#include "color/forward_levels.h"

namespace color {

void LoadForwardLevels(const ForwardMatrix& m, ForwardLevels& levels) {
  for (int i = 0; i < 256; ++i) {
    levels.yR[i] = m.yR[i];
    levels.yG[i] = m.yG[i];
    levels.yB[i] = m.yB[i];
    levels.cbR[i] = m.cbR[i];
    levels.cbG[i] = m.cbG[i];
    levels.cbB[i] = m.cbB[i];
    levels.crR[i] = m.crR[i];
    levels.crG[i] = m.crG[i];
    levels.crB[i] = m.crB[i];
  }
}

}  // namespace color
