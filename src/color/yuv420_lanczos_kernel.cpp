#include "color/yuv420_lanczos_kernel.h"

#include <algorithm>

#include "color/colour_dsp.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/kernel_slot_output.h"
#include "color/lanczos_chroma_passes.h"
#include "color/yv12_kernel_frame.h"

namespace color {
namespace {

constexpr int kSlots = KernelScratch::kSlots;
constexpr int kPad = KernelScratch::kRowPad;

// Doubles one chroma plane (chromaWidth × chromaHeight bytes) into a width × height plane of
// offset-binary 16-bit chroma, one output row at a time through the padded row.
void UpsampleChromaPlane(const uint8_t* plane, const ChromaLevelTable& chromaLevel, KernelScratch& scratch,
                         int chromaWidth, int chromaHeight, uint16_t* out) {
  int16_t levels[256];
  for (int i = 0; i < 256; ++i) {
    levels[i] = static_cast<int16_t>((chromaLevel[i] - 32768) >> 1);
  }
  int16_t* mapped = scratch.ChromaLevels();
  const size_t samples = static_cast<size_t>(chromaWidth) * chromaHeight;
  for (size_t i = 0; i < samples; ++i) {
    mapped[i] = levels[plane[i]];
  }

  const ChromaPasses passes = ColourDspTable::Get().chroma;
  const std::vector<ChromaTaps>& vertical = scratch.VerticalFilter();
  const std::vector<ChromaTaps>& horizontal = scratch.HorizontalFilter();
  int16_t* padded = scratch.PaddedRow();
  int16_t* row = padded + kPad;
  const int rowEnd = static_cast<int>(PaddedRowLength(chromaWidth));
  const int height = 2 * chromaHeight;
  for (int y = 0; y < height; ++y) {
    const ChromaTaps& taps = vertical[static_cast<size_t>(y)];
    const int16_t* rows[ChromaTaps::kTaps];
    for (int j = 0; j < ChromaTaps::kTaps; ++j) {
      rows[j] =
          mapped + static_cast<ptrdiff_t>(std::clamp(taps.first + j, 0, chromaHeight - 1)) * chromaWidth;
    }
    passes.vertical(rows, taps.weights.data(), chromaWidth, row);
    // Clamped source indices, as repeated edge samples.
    std::fill(padded, row, row[0]);
    std::fill(row + chromaWidth, row + rowEnd, row[chromaWidth - 1]);
    passes.horizontal(row, horizontal[0], horizontal[1], chromaWidth,
                      out + static_cast<ptrdiff_t>(y) * 2 * chromaWidth);
  }
}

// One row's sums: 2 × luma plus the 16-bit matrix's chroma, halved (arithmetic shift).
void SumRow(const int16_t* luma, const uint16_t* v, const uint16_t* u, const ChromaMatrix16& m, int width,
            int ycOffset, int32_t* slots) {
  for (int x = 0; x < width; ++x) {
    const int c = std::clamp(x + ycOffset, 0, width - 1);
    const int32_t l = 2 * luma[x];
    const uint16_t cb = u[c];
    const uint16_t cr = v[c];
    int32_t* s = slots + x * kSlots;
    s[0] = (l + m.cbB[cb]) >> 1;
    s[1] = (l + m.cbG[cb] + m.crG[cr]) >> 1;
    s[2] = (l + m.crR[cr]) >> 1;
  }
}

}  // namespace

bool ConvertYv12Lanczos(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                        int ycOffset, bool dcc, int field) {
  const ColourTables& tables = GetColourTables();
  KernelScratch& scratch = GetKernelScratch();
  Yv12KernelFrame frame;
  if (!tables.lumaLevel || !tables.chromaLevel || !tables.chromaMatrix16 || !tables.channelA ||
      !frame.Begin(source, destination, width, height, pitch, field) || !scratch.ReserveRowPairs(width) ||
      !scratch.PrepareLanczos(width, height)) {
    return false;
  }
  if (dcc) {
    frame.AccumulateDcc();
  }

  int16_t lumaLevels[256];
  for (int i = 0; i < 256; ++i) {
    lumaLevels[i] = (*tables.lumaLevel)[i];
  }
  int16_t* luma = scratch.LumaPlane();
  const size_t pixels = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < pixels; ++i) {
    luma[i] = lumaLevels[frame.Y()[i]];
  }
  UpsampleChromaPlane(frame.V(), *tables.chromaLevel, scratch, frame.ChromaWidth(), frame.ChromaHeight(),
                      scratch.ChromaPlane(0));
  UpsampleChromaPlane(frame.U(), *tables.chromaLevel, scratch, frame.ChromaWidth(), frame.ChromaHeight(),
                      scratch.ChromaPlane(1));

  const ChromaMatrix16& matrix = *tables.chromaMatrix16;
  const ChannelTableSet& channels = *tables.channelA;
  int32_t* slots = scratch.Row(0, 0);
  for (int y = 0; y < height; ++y) {
    const ptrdiff_t at = static_cast<ptrdiff_t>(y) * width;
    SumRow(luma + at, scratch.ChromaPlane(0) + at, scratch.ChromaPlane(1) + at, matrix, width, ycOffset,
           slots);
    WriteSlotRow<0>(slots, width, channels, frame.TargetRow(y));
  }
  return frame.Finish();
}

}  // namespace color
