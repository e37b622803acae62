#include "color/yuv420_standard_kernel.h"

#include <emmintrin.h>

#include "color/colour_state.h"
#include "color/kernel_levels.h"
#include "color/kernel_scratch.h"
#include "color/kernel_slot_output.h"
#include "color/yv12_kernel_frame.h"

namespace color {
namespace {

constexpr int kSlots = KernelScratch::kSlots;

inline void Put(int32_t* row, int x, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x * kSlots), v);
}

inline void Add(int32_t* row, int x, __m128i v) {
  __m128i* p = reinterpret_cast<__m128i*>(row + x * kSlots);
  _mm_storeu_si128(p, _mm_add_epi32(_mm_loadu_si128(p), v));
}

// One chroma sample's contributions at the three weights.
struct Splat {
  __m128i full, half, quarter;
};

inline Splat SampleAt(const KernelLevels& levels, const uint8_t* vRow, const uint8_t* uRow, int c) {
  const int u = uRow[c];
  const int v = vRow[c];
  return Splat{levels.Chroma(KernelLevels::kFull, u, v), levels.Chroma(KernelLevels::kHalf, u, v),
               levels.Chroma(KernelLevels::kQuarter, u, v)};
}

// Rows 2j and 2j + 1 of the current pair from chroma row j, and chroma row j's shares added
// to the previous pair's odd row. Every slot is written once as luma plus its whole share of
// this chroma row; the sums are those of adding each share on its own. The bottom pair
// (kLastRow) has no chroma row below, so its odd row repeats the even one's pattern.
template <bool kLastRow, bool kPrevious>
void SplatChromaRow(const KernelLevels& levels, const uint8_t* y0, const uint8_t* y1, const uint8_t* vRow,
                    const uint8_t* uRow, int chromaWidth, int ycOffset, int32_t* even, int32_t* odd,
                    int32_t* previousOdd) {
  auto sample = [&](int i) {
    const int c = i + ycOffset;
    // Only the few samples the offset moves past an edge need clamping.
    return SampleAt(levels, vRow, uRow, c < 0 ? 0 : (c >= chromaWidth ? chromaWidth - 1 : c));
  };
  auto put = [&](int x, const __m128i& evenShare, const __m128i& oddShare, const __m128i& previousShare) {
    Put(even, x, _mm_add_epi32(levels.Luma(y0[x]), evenShare));
    Put(odd, x, _mm_add_epi32(levels.Luma(y1[x]), kLastRow ? evenShare : oddShare));
    if (kPrevious) {
      Add(previousOdd, x, previousShare);
    }
  };
  Splat here = sample(0);
  for (int i = 0; i + 1 < chromaWidth; ++i) {
    const Splat next = sample(i + 1);
    const int x = 2 * i;
    // Between two samples: half of each.
    const __m128i betweenFull = _mm_add_epi32(here.half, next.half);
    const __m128i betweenHalf = _mm_add_epi32(here.quarter, next.quarter);
    put(x, here.full, here.half, here.half);
    put(x + 1, betweenFull, betweenHalf, betweenHalf);
    here = next;
  }
  // Right of the last sample: the last sample in full.
  const int x = 2 * (chromaWidth - 1);
  put(x, here.full, here.half, here.half);
  put(x + 1, here.full, here.half, here.half);
}

using SplatFn = void (*)(const KernelLevels&, const uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*,
                         int, int, int32_t*, int32_t*, int32_t*);

}  // namespace

bool ConvertYv12Standard(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                         int ycOffset, bool dcc, int field) {
  const ColourTables& tables = GetColourTables();
  KernelScratch& scratch = GetKernelScratch();
  Yv12KernelFrame frame;
  if (!tables.lumaLevel || !tables.chromaMatrix8 || !tables.channelA ||
      !frame.Begin(source, destination, width, height, pitch, field) || !scratch.ReserveRowPairs(width)) {
    return false;
  }
  if (dcc) {
    frame.AccumulateDcc();
  }
  KernelLevels& levels = scratch.Levels();
  LoadKernelLevels(*tables.lumaLevel, *tables.chromaMatrix8, levels);
  const ChannelTableSet& channels = *tables.channelA;

  const int chromaWidth = frame.ChromaWidth();
  const int chromaHeight = frame.ChromaHeight();
  for (int j = 0; j < chromaHeight; ++j) {
    const int pair = j & 1;
    const int previous = pair ^ 1;
    const uint8_t* y0 = frame.Y() + static_cast<ptrdiff_t>(2 * j) * width;
    const bool lastRow = j + 1 == chromaHeight;
    const SplatFn splat = j == 0 ? (lastRow ? SplatChromaRow<true, false> : SplatChromaRow<false, false>)
                                 : (lastRow ? SplatChromaRow<true, true> : SplatChromaRow<false, true>);
    splat(levels, y0, y0 + width, frame.V() + static_cast<ptrdiff_t>(j) * chromaWidth,
          frame.U() + static_cast<ptrdiff_t>(j) * chromaWidth, chromaWidth, ycOffset, scratch.Row(pair, 0),
          scratch.Row(pair, 1), scratch.Row(previous, 1));
    if (j > 0) {
      WriteSlotRow<KernelLevels::kFractionBits>(scratch.Row(previous, 0), width, channels,
                                                frame.TargetRow(2 * j - 2));
      WriteSlotRow<KernelLevels::kFractionBits>(scratch.Row(previous, 1), width, channels,
                                                frame.TargetRow(2 * j - 1));
    }
  }
  const int last = (chromaHeight - 1) & 1;
  WriteSlotRow<KernelLevels::kFractionBits>(scratch.Row(last, 0), width, channels,
                                            frame.TargetRow(height - 2));
  WriteSlotRow<KernelLevels::kFractionBits>(scratch.Row(last, 1), width, channels,
                                            frame.TargetRow(height - 1));
  return frame.Finish();
}

}  // namespace color
