#include "color/rgb_to_packed444_kernel.h"

#include "color/colour_state.h"
#include "color/forward_levels.h"
#include "color/kernel_scratch.h"

namespace color {

bool ConvertRgbToPacked444(const uint8_t* source, ptrdiff_t sourcePitch, uint8_t* destination, int width,
                           int height) {
  const ColourTables& tables = GetColourTables();
  if (source == nullptr || destination == nullptr || width < 1 || height < 1 || width > kMaxKernelSize ||
      height > kMaxKernelSize || sourcePitch < 4 * width || !tables.forwardMatrix || !tables.lumaQuantiser ||
      !tables.chromaQuantiser) {
    return false;
  }
  ForwardLevels m;
  LoadForwardLevels(*tables.forwardMatrix, m);
  const LumaQuantiser& lumaQ = *tables.lumaQuantiser;
  const ChromaQuantiser& chromaQ = *tables.chromaQuantiser;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = source + y * sourcePitch;
    uint8_t* out = destination + static_cast<ptrdiff_t>(y) * 4 * width;
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
      const int b = in[0];
      const int g = in[1];
      const int r = in[2];
      const uint8_t cb = QuantiseChroma(chromaQ, m.Cb(r, g, b));
      out[0] = QuantiseChroma(chromaQ, m.Cr(r, g, b));
      out[1] = cb;
      out[2] = QuantiseLuma(lumaQ, m.Y(r, g, b));
      out[3] = cb;
    }
  }
  return true;
}

}  // namespace color
