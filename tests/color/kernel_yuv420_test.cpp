#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "color/colour_dsp.h"
#include "color/field_interpolator_filter.h"
#include "color/kernel_scratch.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "kernel_test_support.h"
#include "support/cpu_levels.h"

namespace color::kernel_test {
namespace {

using Kernel = bool (*)(const uint8_t*, uint8_t*, int, int, ptrdiff_t, int, bool, int);

Bgrx Convert(Kernel kernel, Yv12& p, int offset = 0, ptrdiff_t pitch = 0) {
  Bgrx out(p.width, p.height, pitch != 0 ? pitch : 4 * p.width);
  EXPECT_TRUE(kernel(p.bytes.data(), out.Data(), p.width, p.height, out.pitch, offset, false, 0));
  return out;
}

// The standard kernel step by step: luma into two row-pair buffers, every chroma share added
// on its own, the previous pair's odd row completed by the next chroma row. Sums are kept in
// quarters of the internal scale, so the shares are exact, and rounded at the end.
Bgrx ReferenceStandard(Yv12& p, int offset) {
  const ColourTables& t = T();
  const int w = p.width, h = p.height, cw = w / 2, ch = h / 2;
  std::vector<int32_t> slots[2] = {std::vector<int32_t>(2 * w * 3), std::vector<int32_t>(2 * w * 3)};
  auto slot = [&](int pair, int row, int x, int c) -> int32_t& { return slots[pair][(row * w + x) * 3 + c]; };
  Bgrx out(w, h);
  auto write = [&](int pair, int y0) {
    for (int r = 0; r < 2; ++r) {
      for (int x = 0; x < w; ++x) {
        PutPixel(*t.channelA, out.At(x, y0 + r), slot(pair, r, x, 0) >> 2, slot(pair, r, x, 1) >> 2,
                 slot(pair, r, x, 2) >> 2);
      }
    }
  };
  // One table value v into a row with the even-row pattern (full) or the odd-row one (half).
  auto spread = [&](int pair, int row, int i, int c, int32_t v, bool full) {
    const int32_t centre = full ? 4 * v : 2 * v;
    slot(pair, row, 2 * i, c) += centre;
    slot(pair, row, 2 * i + 1, c) += i + 1 < cw ? centre >> 1 : centre;
    if (i > 0) {
      slot(pair, row, 2 * i - 1, c) += centre >> 1;
    }
  };
  for (int j = 0; j < ch; ++j) {
    const int cur = j & 1, prev = cur ^ 1;
    const bool last = j + 1 == ch;
    for (int r = 0; r < 2; ++r) {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c) {
          slot(cur, r, x, c) = 4 * (*t.lumaLevel)[p.Y(x, 2 * j + r)] + 2;
        }
      }
    }
    for (int i = 0; i < cw; ++i) {
      const int at = std::clamp(i + offset, 0, cw - 1);
      const int u = p.U(at, j), v = p.V(at, j);
      const ChromaMatrix8& m = *t.chromaMatrix8;
      const std::pair<int, int32_t> shares[4] = {{0, m.cbB[u]}, {1, m.cbG[u]}, {2, m.crR[v]}, {1, m.crG[v]}};
      for (const auto& [c, value] : shares) {
        spread(cur, 0, i, c, value, true);
        spread(cur, 1, i, c, value, last);
        if (j > 0) {
          spread(prev, 1, i, c, value, false);
        }
      }
    }
    if (j > 0) {
      write(prev, 2 * j - 2);
    }
  }
  write((ch - 1) & 1, h - 2);
  return out;
}

int16_t Saturate(int32_t v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

Bgrx ReferenceFast(Yv12& p) {
  const ColourTables& t = T();
  auto high = [](int32_t c, int32_t k) { return static_cast<int16_t>((c * k + 32768) >> 16); };
  Bgrx out(p.width, p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const int16_t l = static_cast<int16_t>(std::lround((*t.lumaLevel)[p.Y(x, y)] * 4095 / (32767 * 0.25)));
      const int32_t u = 2 * ((*t.chromaLevel)[p.U(x / 2, y / 2)] - 32768);
      const int32_t v = 2 * ((*t.chromaLevel)[p.V(x / 2, y / 2)] - 32768);
      const int16_t b = Saturate(l + high(u, 7257));
      const int16_t g = Saturate(Saturate(l + high(u, -1409)) + high(v, -2924));
      const int16_t r = Saturate(l + high(v, 5741));
      PutPixel(*t.channelB, out.At(x, y), b, g, r);
    }
  }
  return out;
}

// One chroma plane doubled in both directions, every tap clamped to the plane.
std::vector<uint16_t> ReferenceUpsample(Yv12& p, bool vPlane) {
  const ColourTables& t = T();
  const int cw = p.width / 2, ch = p.height / 2;
  auto taps = [](int count, int i, int j, int& index) {
    const double centre = count * (i + 0.5) / (2.0 * count);
    const int first = static_cast<int>(std::floor(centre - 2.5));
    double sum = 0;
    for (int k = 0; k < 6; ++k) {
      sum += Lanczos3(first + k + 0.5 - centre);
    }
    index = std::clamp(first + j, 0, count - 1);
    return static_cast<int64_t>(Lanczos3(first + j + 0.5 - centre) / sum * 65536.0);
  };
  auto saturate = [](int64_t v) { return static_cast<int16_t>(std::clamp<int64_t>(v, -32768, 32767)); };
  // Signed chroma at half the level table's scale, kept by the vertical pass.
  std::vector<int16_t> vertical(static_cast<size_t>(cw) * p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < cw; ++x) {
      int64_t sum = 0;
      for (int j = 0; j < 6; ++j) {
        int row;
        const int64_t weight = taps(ch, y, j, row);
        sum += (((*t.chromaLevel)[vPlane ? p.V(x, row) : p.U(x, row)] - 32768) >> 1) * weight;
      }
      vertical[static_cast<size_t>(y) * cw + x] = saturate(sum >> 16);
    }
  }
  std::vector<uint16_t> full(static_cast<size_t>(p.width) * p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      int64_t sum = 0;
      for (int j = 0; j < 6; ++j) {
        int column;
        const int64_t weight = taps(cw, x, j, column);
        sum += vertical[static_cast<size_t>(y) * cw + column] * weight;
      }
      full[static_cast<size_t>(y) * p.width + x] = static_cast<uint16_t>(saturate(sum >> 15) + 32768);
    }
  }
  return full;
}

Bgrx ReferenceLanczos(Yv12& p, int offset) {
  const ColourTables& t = T();
  const std::vector<uint16_t> v = ReferenceUpsample(p, true);
  const std::vector<uint16_t> u = ReferenceUpsample(p, false);
  const ChromaMatrix16& m = *t.chromaMatrix16;
  Bgrx out(p.width, p.height);
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) {
      const size_t c = static_cast<size_t>(y) * p.width + std::clamp(x + offset, 0, p.width - 1);
      const int32_t l = 2 * (*t.lumaLevel)[p.Y(x, y)];
      PutPixel(*t.channelA, out.At(x, y), (l + m.cbB[u[c]]) >> 1, (l + m.cbG[u[c]] + m.crG[v[c]]) >> 1,
               (l + m.crR[v[c]]) >> 1);
    }
  }
  return out;
}

class Yuv420KernelTest : public KernelTest {};

// Strong saturation and contrast push the sums past 16 bits, so saturation is exercised too.
TEST_F(Yuv420KernelTest, KernelsMatchTheirStepByStepDefinitions) {
  SetLevels(1.1, 1.4, 3.0);
  const int sizes[][2] = {{2, 2}, {6, 4}, {18, 6}, {322, 6}, {64, 10}};
  // The Lanczos kernel's chroma passes at every vector level.
  testsupport::ForEachCpuLevel(ColourDspTable::Init, [&] {
    uint32_t seed = 1;
    for (const auto& [w, h] : sizes) {
      Yv12 p = RandomYv12(w, h, seed++);
      for (int offset : {-5, -1, 0, 1, 5}) {
        SCOPED_TRACE(::testing::Message() << w << "x" << h << " offset " << offset);
        EXPECT_EQ(Convert(ConvertYv12Standard, p, offset).bytes, ReferenceStandard(p, offset).bytes);
        EXPECT_EQ(Convert(ConvertYv12Lanczos, p, offset).bytes, ReferenceLanczos(p, offset).bytes);
      }
      EXPECT_EQ(Convert(ConvertYv12Fast, p, 3).bytes, ReferenceFast(p).bytes);
    }
  });
}

TEST_F(Yuv420KernelTest, FlatGreyGivesGrey128) {
  for (Kernel kernel : {ConvertYv12Standard, ConvertYv12Lanczos, ConvertYv12Fast}) {
    Yv12 p = FlatYv12(10, 6, 126, 128, 128);
    const Bgrx out = Convert(kernel, p);
    for (int y = 0; y < 6; ++y) {
      for (int x = 0; x < 10; ++x) {
        ASSERT_EQ(out.Rgb(x, y), (Rgb8{128, 128, 128})) << x << "," << y;
      }
    }
  }
}

TEST_F(Yuv420KernelTest, SingleRedSampleSpreadsBilinearlyIncludingTheRowAbove) {
  Yv12 p = FlatYv12(12, 8, 126, 128, 128);
  p.V(3, 2) = 240;  // co-sited with pixel (6, 4)
  const Bgrx out = Convert(ConvertYv12Standard, p);
  const int32_t l = (*T().lumaLevel)[126];
  const int32_t cr = (*T().chromaMatrix8).crR[240];
  const ChannelTable& red = (*T().channelA)[0];
  auto expected = [&](int share) { return red[static_cast<uint16_t>((4 * l + 2 + (4 * cr >> share)) >> 2)]; };
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      const int dx = std::abs(x - 6), dy = y - 4;
      int share = -1;  // untouched
      if (dy == 0) {
        share = dx == 0 ? 0 : (dx == 1 ? 1 : -1);
      } else if (dy == 1 || dy == -1) {
        share = dx == 0 ? 1 : (dx == 1 ? 2 : -1);
      }
      SCOPED_TRACE(::testing::Message() << x << "," << y);
      EXPECT_EQ(out.Rgb(x, y)[0], share < 0 ? 128 : expected(share));
    }
  }
  EXPECT_GT(expected(0), expected(1));
  EXPECT_GT(expected(1), expected(2));
  EXPECT_GT(expected(2), 128);
}

TEST_F(Yuv420KernelTest, YcOffsetMovesChromaByTwoPixelsStandardAndOneLanczos) {
  Yv12 p = FlatYv12(32, 8, 126, 128, 128);
  for (int j = 0; j < 4; ++j) {
    p.V(8, j) = 200;
    p.U(8, j) = 60;
  }
  const Bgrx standard0 = Convert(ConvertYv12Standard, p, 0);
  const Bgrx standard1 = Convert(ConvertYv12Standard, p, 1);
  const Bgrx lanczos0 = Convert(ConvertYv12Lanczos, p, 0);
  const Bgrx lanczos1 = Convert(ConvertYv12Lanczos, p, 1);
  for (int y = 0; y < 8; ++y) {
    for (int x = 4; x < 26; ++x) {
      EXPECT_EQ(standard1.Rgb(x, y), standard0.Rgb(x + 2, y)) << x << "," << y;
      EXPECT_EQ(lanczos1.Rgb(x, y), lanczos0.Rgb(x + 1, y)) << x << "," << y;
    }
  }
  EXPECT_NE(standard0.Rgb(16, 0), standard1.Rgb(16, 0));
}

TEST_F(Yuv420KernelTest, Width322IsProcessedAs324AndWritesOnly322) {
  Yv12 p = RandomYv12(322, 4, 7);
  const ptrdiff_t pitch = 4 * 330;
  const Bgrx out = Convert(ConvertYv12Standard, p, 0, pitch);
  EXPECT_EQ(GetKernelScratch().RowPairWidth(), 324);
  for (int y = 0; y < 4; ++y) {
    for (ptrdiff_t b = 4 * 322; b < pitch; ++b) {
      ASSERT_EQ(out.bytes[y * pitch + b], 0xA5);
    }
  }
  // A narrower picture later keeps the wider rows.
  Yv12 small = RandomYv12(8, 2, 8);
  Convert(ConvertYv12Standard, small);
  EXPECT_EQ(GetKernelScratch().RowPairWidth(), 324);
}

TEST_F(Yuv420KernelTest, FastKernelIgnoresSaturationAndMatrix) {
  Yv12 p = RandomYv12(16, 4, 9);
  const Bgrx before = Convert(ConvertYv12Fast, p);
  SetYuvMatrix(1);
  SetLevels(1.0, 1.0, 2.0);
  EXPECT_EQ(Convert(ConvertYv12Fast, p).bytes, before.bytes);
  EXPECT_NE(Convert(ConvertYv12Standard, p).bytes, ReferenceFast(p).bytes);
}

// Flat chroma: no interpolation error, only the tables' sampling, so every kernel is within
// one step of the exact model. The fast kernel's fixed factors (1.4020, 0.7141, 0.3441,
// 1.7721 per unit of chroma) differ from code 4's (1.402, 0.71414, 0.34414, 1.772); with the
// identity tail its bound is 255 × the largest channel difference that makes, plus one.
TEST_F(Yuv420KernelTest, KernelsFollowTheModelOnFlatChroma) {
  const int lumas[] = {16, 40, 126, 200, 235};
  const int chromas[] = {16, 60, 128, 170, 240};
  SetYGamma(1.15);
  SetCGamma(0.9);
  SetLevels(1.05, 1.1, 0.9);
  const PictureParams params = Params();
  for (int y : lumas) {
    for (int cb : chromas) {
      for (int cr : chromas) {
        Yv12 p = FlatYv12(12, 6, static_cast<uint8_t>(y), static_cast<uint8_t>(cb), static_cast<uint8_t>(cr));
        const Rgb8 model = EvaluatePictureModel(params, y, cb, cr);
        SCOPED_TRACE(::testing::Message() << y << " " << cb << " " << cr);
        EXPECT_LE(MaxDifference(Convert(ConvertYv12Standard, p).Rgb(5, 3), model), 1);
        EXPECT_LE(MaxDifference(Convert(ConvertYv12Lanczos, p).Rgb(5, 3), model), 1);
      }
    }
  }

  // The fast kernel against code 4 with neutral levels.
  SetYGamma(1.0);
  SetCGamma(1.0);
  SetLevels(1.0, 1.0, 1.0);
  const PictureParams code4 = Params();
  const double unit = 2 * 32767.0 / 65536 / 4095;  // a fixed factor's weight on a chroma of ±0.5
  const double fast[4] = {5741 * unit, 2924 * unit, 1409 * unit, 7257 * unit};
  const double exact[4] = {1.402, 2 * 0.299 * 0.701 / 0.587, 2 * 0.114 * 0.886 / 0.587, 1.772};
  double d[4];
  for (int k = 0; k < 4; ++k) {
    d[k] = std::fabs(fast[k] - exact[k]);
  }
  for (int y : lumas) {
    for (int cb : chromas) {
      for (int cr : chromas) {
        Yv12 p = FlatYv12(12, 6, static_cast<uint8_t>(y), static_cast<uint8_t>(cb), static_cast<uint8_t>(cr));
        const double aCb = std::fabs(cb - 128) / 224.0, aCr = std::fabs(cr - 128) / 224.0;
        const double bound[3] = {255 * d[0] * aCr + 1, 255 * (d[1] * aCr + d[2] * aCb) + 1,
                                 255 * d[3] * aCb + 1};
        const Rgb8 out = Convert(ConvertYv12Fast, p).Rgb(5, 3);
        const Rgb8 model = EvaluatePictureModel(code4, y, cb, cr);
        SCOPED_TRACE(::testing::Message() << y << " " << cb << " " << cr);
        for (int c = 0; c < 3; ++c) {
          EXPECT_LE(std::abs(out[c] - model[c]), bound[c]) << "channel " << c;
        }
      }
    }
  }
}

}  // namespace
}  // namespace color::kernel_test
