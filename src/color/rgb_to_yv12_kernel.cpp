#include "color/rgb_to_yv12_kernel.h"

#include "color/colour_state.h"
#include "color/forward_levels.h"
#include "color/kernel_scratch.h"

namespace color {

bool ConvertRgbToYv12(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, int width,
                      int height) {
  const ColourTables& tables = GetColourTables();
  if (source == nullptr || destination == nullptr || width < 2 || height < 2 || width % 2 != 0 ||
      height % 2 != 0 || width > kMaxKernelSize || height > kMaxKernelSize || sourcePitch < 4 * width ||
      !tables.forwardMatrix || !tables.lumaQuantiser || !tables.chromaQuantiser) {
    return false;
  }
  ForwardLevels m;
  LoadForwardLevels(*tables.forwardMatrix, m);
  const LumaQuantiser& lumaQ = *tables.lumaQuantiser;
  const ChromaQuantiser& chromaQ = *tables.chromaQuantiser;
  const int chromaWidth = width / 2;
  uint8_t* vPlane = destination + static_cast<ptrdiff_t>(width) * height;
  uint8_t* uPlane = vPlane + static_cast<ptrdiff_t>(chromaWidth) * (height / 2);
  for (int j = 0; j < height / 2; ++j) {
    const uint8_t* rows[2] = {source + 2 * j * sourcePitch, source + (2 * j + 1) * sourcePitch};
    uint8_t* yRows[2] = {destination + static_cast<ptrdiff_t>(2 * j) * width,
                         destination + static_cast<ptrdiff_t>(2 * j + 1) * width};
    for (int i = 0; i < chromaWidth; ++i) {
      int32_t cb = 0;
      int32_t cr = 0;
      for (int k = 0; k < 2; ++k) {
        for (int x = 2 * i; x < 2 * i + 2; ++x) {
          const uint8_t* p = rows[k] + 4 * x;
          yRows[k][x] = QuantiseLuma(lumaQ, m.Y(p[2], p[1], p[0]));
          cb += m.Cb(p[2], p[1], p[0]);
          cr += m.Cr(p[2], p[1], p[0]);
        }
      }
      // The mean's raw 16 bits: each value is within ±32767, so the mean is too.
      vPlane[static_cast<ptrdiff_t>(j) * chromaWidth + i] = chromaQ[static_cast<uint16_t>(cr >> 2)];
      uPlane[static_cast<ptrdiff_t>(j) * chromaWidth + i] = chromaQ[static_cast<uint16_t>(cb >> 2)];
    }
  }
  return true;
}

}  // namespace color
