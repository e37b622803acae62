#include "color/yuv420_standard_kernel.h"

#include <emmintrin.h>

#include <algorithm>

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

// Rows 2j and 2j + 1 of the current pair from chroma row j, and chroma row j's shares added
// to the previous pair's odd row (nullptr for the first pair). Every slot is written once as
// luma plus its whole share of this chroma row; the sums are those of adding each share on
// its own.
void SplatChromaRow(const KernelLevels& levels, const uint8_t* y0, const uint8_t* y1, const uint8_t* vRow,
                    const uint8_t* uRow, int chromaWidth, int ycOffset, bool lastRow, int32_t* even,
                    int32_t* odd, int32_t* previousOdd) {
  auto sample = [&](int i) {
    const int c = std::clamp(i + ycOffset, 0, chromaWidth - 1);
    const int u = uRow[c];
    const int v = vRow[c];
    return Splat{levels.Chroma(KernelLevels::kFull, u, v), levels.Chroma(KernelLevels::kHalf, u, v),
                 levels.Chroma(KernelLevels::kQuarter, u, v)};
  };
  Splat here = sample(0);
  for (int i = 0; i < chromaWidth; ++i) {
    const int x = 2 * i;
    const bool lastColumn = i + 1 == chromaWidth;
    const Splat next = lastColumn ? here : sample(i + 1);
    // Between two samples: half of each; right of the last one: the last one in full.
    const __m128i betweenFull = lastColumn ? here.full : _mm_add_epi32(here.half, next.half);
    const __m128i betweenHalf = lastColumn ? here.half : _mm_add_epi32(here.quarter, next.quarter);

    Put(even, x, _mm_add_epi32(levels.Luma(y0[x]), here.full));
    Put(even, x + 1, _mm_add_epi32(levels.Luma(y0[x + 1]), betweenFull));
    // The bottom pair has no chroma row below: its odd row repeats this one.
    Put(odd, x, _mm_add_epi32(levels.Luma(y1[x]), lastRow ? here.full : here.half));
    Put(odd, x + 1, _mm_add_epi32(levels.Luma(y1[x + 1]), lastRow ? betweenFull : betweenHalf));
    if (previousOdd != nullptr) {
      Add(previousOdd, x, here.half);
      Add(previousOdd, x + 1, betweenHalf);
    }
    here = next;
  }
}

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
    SplatChromaRow(levels, y0, y0 + width, frame.V() + static_cast<ptrdiff_t>(j) * chromaWidth,
                   frame.U() + static_cast<ptrdiff_t>(j) * chromaWidth, chromaWidth, ycOffset,
                   j + 1 == chromaHeight, scratch.Row(pair, 0), scratch.Row(pair, 1),
                   j > 0 ? scratch.Row(previous, 1) : nullptr);
    if (j > 0) {
      WriteSlotRow(scratch.Row(previous, 0), width, channels, frame.TargetRow(2 * j - 2));
      WriteSlotRow(scratch.Row(previous, 1), width, channels, frame.TargetRow(2 * j - 1));
    }
  }
  const int last = (chromaHeight - 1) & 1;
  WriteSlotRow(scratch.Row(last, 0), width, channels, frame.TargetRow(height - 2));
  WriteSlotRow(scratch.Row(last, 1), width, channels, frame.TargetRow(height - 1));
  return frame.Finish();
}

}  // namespace color
