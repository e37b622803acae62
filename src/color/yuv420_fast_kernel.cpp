#include "color/yuv420_fast_kernel.h"

#include <cstring>

#include "color/colour_state.h"
#include "color/fixed_point.h"
#include "color/yv12_kernel_frame.h"

namespace color {
namespace {

// BT.601's chroma factors (Kr 0.299, Kb 0.114) at 1.0 = 4095, applied to signed 16-bit chroma
// (32767 for chroma 0.5) keeping the high 16 bits of the product: red from Cr 2 (1 − Kr) =
// 1.402, green from Cr 2 Kr (1 − Kr) / Kg = 0.71414 and from Cb 2 Kb (1 − Kb) / Kg = 0.34414,
// blue from Cb 2 (1 − Kb) = 1.772. Near black under a steep output transfer even 0.1 % off
// shows as levels.
constexpr int32_t kRedFromCr = 5741;
constexpr int32_t kGreenFromCr = -2924;
constexpr int32_t kGreenFromCb = -1409;
constexpr int32_t kBlueFromCb = 7257;

// The per-level terms of one picture, each rounded to nearest since a pixel adds them as they
// are. Luma is the level table at set B's scale (0 … 16380) and no chroma term exceeds 4150 in
// size (chroma 0), so every sum stays inside signed 16 bits: the 16-bit saturation can never
// act, and the raw 16 bits of the 32-bit sum index the tables directly.
struct FastLevels {
  int32_t luma[256];
  int32_t blueFromCb[256];
  int32_t greenFromCb[256];
  int32_t greenFromCr[256];
  int32_t redFromCr[256];
};

// The high 16 bits of a chroma value times a factor, rounded.
inline int32_t HighRounded(int32_t chroma, int32_t factor) { return (chroma * factor + 32768) >> 16; }

void LoadFastLevels(const ColourTables& tables, FastLevels& levels) {
  for (int i = 0; i < 256; ++i) {
    levels.luma[i] = RoundToInt((*tables.lumaLevel)[i] * (kSetBOne / kInternalOne));
    // Chroma at twice the level table's scale (32767 for chroma 0.5).
    const int32_t c = 2 * (static_cast<int32_t>((*tables.chromaLevel)[i]) - 32768);
    levels.blueFromCb[i] = HighRounded(c, kBlueFromCb);
    levels.greenFromCb[i] = HighRounded(c, kGreenFromCb);
    levels.greenFromCr[i] = HighRounded(c, kGreenFromCr);
    levels.redFromCr[i] = HighRounded(c, kRedFromCr);
  }
}

inline void Store(uint8_t* out, uint32_t pixel) { std::memcpy(out, &pixel, sizeof pixel); }

}  // namespace

bool ConvertYv12Fast(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch,
                     int /*ycOffset*/, bool dcc, int field) {
  const ColourTables& tables = GetColourTables();
  Yv12KernelFrame frame;
  if (!tables.lumaLevel || !tables.chromaLevel || !tables.channelB ||
      !frame.Begin(source, destination, width, height, pitch, field)) {
    return false;
  }
  if (dcc) {
    frame.AccumulateDcc();
  }
  FastLevels levels;
  LoadFastLevels(tables, levels);
  const ChannelTable& red = (*tables.channelB)[0];
  const ChannelTable& green = (*tables.channelB)[1];
  const ChannelTable& blue = (*tables.channelB)[2];
  auto pixel = [&](int y, int32_t b, int32_t g, int32_t r) {
    const int32_t l = levels.luma[y];
    return static_cast<uint32_t>(blue[(l + b) & 0xFFFF]) |
           static_cast<uint32_t>(green[(l + g) & 0xFFFF]) << 8 |
           static_cast<uint32_t>(red[(l + r) & 0xFFFF]) * 0x01010000u;
  };

  const int chromaWidth = frame.ChromaWidth();
  for (int j = 0; j < frame.ChromaHeight(); ++j) {
    const uint8_t* y0 = frame.Y() + static_cast<ptrdiff_t>(2 * j) * width;
    const uint8_t* y1 = y0 + width;
    const uint8_t* v = frame.V() + static_cast<ptrdiff_t>(j) * chromaWidth;
    const uint8_t* u = frame.U() + static_cast<ptrdiff_t>(j) * chromaWidth;
    uint8_t* out0 = frame.TargetRow(2 * j);
    uint8_t* out1 = frame.TargetRow(2 * j + 1);
    for (int i = 0; i < chromaWidth; ++i) {
      const int32_t b = levels.blueFromCb[u[i]];
      const int32_t g = levels.greenFromCb[u[i]] + levels.greenFromCr[v[i]];
      const int32_t r = levels.redFromCr[v[i]];
      const int x = 2 * i;
      Store(out0 + 4 * x, pixel(y0[x], b, g, r));
      Store(out0 + 4 * x + 4, pixel(y0[x + 1], b, g, r));
      Store(out1 + 4 * x, pixel(y1[x], b, g, r));
      Store(out1 + 4 * x + 4, pixel(y1[x + 1], b, g, r));
    }
  }
  return frame.Finish();
}

}  // namespace color
