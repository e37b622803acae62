#pragma once

#include <cstdint>

namespace Media {

// One worker's share of a pass. The intermediate picture has four signed 16-bit values per pixel
// (one 8-bit level ≈ 64 units); `index` holds byte offsets and `weights` four lanes per tap.
struct LanczosJob {
  const uint8_t* src = nullptr;
  uint8_t* dst = nullptr;
  int32_t width = 0;  // pixels per output row
  int32_t rows = 0;
  int32_t taps = 0;
  const int32_t* index = nullptr;
  const int16_t* weights = nullptr;
  int32_t srcPitch = 0;
  int32_t dstPitch = 0;
};

using LanczosPass = void (*)(const LanczosJob& job);

// The four passes, all exact to the fixed-point definition:
// vertical: 8-bit rows → intermediate rows, row r filtered from source rows index[r][*];
// horizontal: intermediate → 8-bit, pixel x filtered from intermediate pixels index[x][*];
// widening: 8-bit → intermediate ((b × 257) >> 2); narrowing: intermediate → 8-bit (clamped v >> 6).
// Widening uses the scale the vertical pass gives a flat picture (255 → 16383, not 255 × 64 =
// 16320), or width-only scaling would lose a level everywhere and never reach 255; narrowing
// still returns the widened bytes exactly, as floor(b × 257 / 256) = b.
struct LanczosPasses {
  LanczosPass vertical;
  LanczosPass horizontal;
  LanczosPass widening;
  LanczosPass narrowing;
};

// The widest run [begin, end) of output pixels of a horizontal job whose taps all read
// consecutive pixels, which lets the passes load neighbouring taps together; elsewhere (near the
// edges, where offsets repeat) they load tap by tap.
void LanczosContiguousSpan(const LanczosJob& job, int32_t& begin, int32_t& end);

const LanczosPasses& LanczosPassesSse2();
// Only where the processor has AVX2.
const LanczosPasses& LanczosPassesAvx2();

}  // namespace Media
