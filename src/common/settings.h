#pragma once

#include "common/shared_int.h"

namespace common {

// The player's program-wide settings, in their stored integer units. The user-interface thread
// writes them (start-up and commands); every other thread reads them without a lock.
struct Settings {
  SharedInt saturation{100};  // percent
  SharedInt brightness{100};  // percent
  SharedInt contrast{100};    // percent
  SharedInt yGamma{100};      // hundredths
  SharedInt cGamma{100};      // hundredths
  SharedInt rGamma{22};       // tenths
  SharedInt gGamma{22};
  SharedInt bGamma{22};
  SharedInt monRG{100};  // monitor calibration, hundredths; written only by tonegrid
  SharedInt monGG{100};
  SharedInt monBG{100};
  SharedInt monRC{100};
  SharedInt monGC{100};
  SharedInt monBC{100};
  SharedInt monRB{100};
  SharedInt monGB{100};
  SharedInt monBB{100};
  SharedInt monBright{100};  // percent
  SharedInt enableDcc{0};
  SharedInt priority{0};  // process priority class
  SharedInt waitVBlank{1};
  SharedInt osdEnable{1};
  SharedInt resizeType{0};  // 0 display stretch, 1 Lanczos-3, 2 none
  SharedInt rgbType{0};     // source transfer
  SharedInt rgbType2{2};    // output transfer
  SharedInt rgbCsType{0};
  SharedInt yuvType{0};
  SharedInt hqMode{0};
  SharedInt ntap{6};
  SharedInt useWaveOut{1};  // 0: direct hardware output first
  SharedInt forceWidth{-1};
  SharedInt forceHeight{-1};
  SharedInt avSync{0};    // ms
  SharedInt ycOffset{0};  // chroma samples, −5 … 5; not stored
};

// The one instance.
Settings& GetSettings();

}  // namespace common
