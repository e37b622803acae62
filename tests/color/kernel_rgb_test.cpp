#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "color/line_doubling_kernel.h"
#include "color/packed444_to_rgb_kernel.h"
#include "color/rgb_to_packed444_kernel.h"
#include "color/rgb_to_yv12_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "color/yuy2_kernel.h"
#include "kernel_test_support.h"

namespace color::kernel_test {
namespace {

class RgbKernelTest : public KernelTest {};

void SetPixel(Bgrx& p, int x, int y, const Rgb8& rgb) {
  p.At(x, y)[0] = rgb[2];
  p.At(x, y)[1] = rgb[1];
  p.At(x, y)[2] = rgb[0];
  p.At(x, y)[3] = 0;
}

// The forward matrix's 16-bit sums, each term truncated as the tables hold it.
std::array<int32_t, 3> ForwardSums(const Rgb8& rgb) {
  auto term = [](double k, int v) { return static_cast<int32_t>(k * 257 * v); };
  const int r = rgb[0], g = rgb[1], b = rgb[2];
  return {term(0.299, r) + term(0.587, g) + term(0.114, b), term(-0.169, r) + term(-0.331, g) + term(0.5, b),
          term(0.5, r) + term(-0.419, g) + term(-0.081, b)};
}

TEST_F(RgbKernelTest, RoundTripReturnsGreysUpToTheLumaQuantiser) {
  Bgrx in(256, 1);
  for (int g = 0; g < 256; ++g) {
    SetPixel(in, g, 0, {static_cast<uint8_t>(g), static_cast<uint8_t>(g), static_cast<uint8_t>(g)});
  }
  std::vector<uint8_t> packed(256 * 4);
  ASSERT_TRUE(ConvertRgbToPacked444(in.Data(), in.pitch, packed.data(), 256, 1));
  Bgrx out(256, 1);
  ASSERT_TRUE(ConvertPacked444ToRgb(packed.data(), out.Data(), 256, 1, out.pitch, 0));
  for (int g = 0; g < 256; ++g) {
    SCOPED_TRACE(g);
    const uint8_t* p = &packed[4 * g];
    const int luma = 16 + 219 * ForwardSums({uint8_t(g), uint8_t(g), uint8_t(g)})[0] / 65535;
    EXPECT_EQ(p[2], luma);
    EXPECT_EQ(p[0], 128);
    EXPECT_EQ(p[1], 128);
    EXPECT_EQ(p[3], 128);
    // The quantiser's floor loses less than one luma step (255 / 219) and rounding one more.
    EXPECT_LE(std::abs(out.Rgb(g, 0)[1] - g), 2);
    EXPECT_LE(out.Rgb(g, 0)[1], g);
    EXPECT_EQ(out.Rgb(g, 0)[0], out.Rgb(g, 0)[1]);
    EXPECT_EQ(out.Rgb(g, 0)[2], out.Rgb(g, 0)[1]);
  }
  EXPECT_EQ(packed[4 * 255 + 2], 234);  // 19594 + 38469 + 7470 = 65533
}

TEST_F(RgbKernelTest, PackedOffsetMovesChromaByWholePixelsWithinTheRow) {
  SetLevels(1.0, 1.2, 1.5);
  std::vector<uint8_t> packed(12 * 2 * 4);
  std::mt19937 random(4);
  for (uint8_t& b : packed) {
    b = static_cast<uint8_t>(random());
  }
  for (int offset : {-3, 0, 2}) {
    Bgrx out(12, 2, 4 * 13);
    ASSERT_TRUE(ConvertPacked444ToRgb(packed.data(), out.Data(), 12, 2, out.pitch, offset));
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 12; ++x) {
        const uint8_t* luma = &packed[(y * 12 + x) * 4];
        const uint8_t* chroma = &packed[(y * 12 + std::clamp(x + offset, 0, 11)) * 4];
        const int32_t l = (*T().lumaLevel)[luma[2]];
        const ChromaMatrix8& m = *T().chromaMatrix8;
        uint8_t expected[4];
        PutPixel(*T().channelA, expected, l + m.cbB[chroma[1]], l + m.cbG[chroma[1]] + m.crG[chroma[0]],
                 l + m.crR[chroma[0]]);
        ASSERT_EQ(0, std::memcmp(out.At(x, y), expected, 4)) << x << "," << y << " offset " << offset;
      }
      EXPECT_EQ(out.At(12, y)[0], 0xA5);
    }
  }
}

TEST_F(RgbKernelTest, ChromaOfYv12IsTheQuantisedMeanOfEachBlock) {
  Bgrx in(4, 2);
  const Rgb8 colours[8] = {{255, 0, 0},   {0, 255, 0},     {0, 0, 255}, {30, 60, 90},
                           {10, 200, 30}, {255, 255, 255}, {0, 0, 0},   {128, 64, 250}};
  for (int i = 0; i < 8; ++i) {
    SetPixel(in, i % 4, i / 4, colours[i]);
  }
  std::vector<uint8_t> yv12(4 * 2 * 3 / 2);
  ASSERT_TRUE(ConvertRgbToYv12(in.Data(), in.pitch, yv12.data(), 4, 2));
  for (int block = 0; block < 2; ++block) {
    int32_t cb = 0, cr = 0;
    for (int k : {0, 1, 4, 5}) {
      const int i = k + 2 * block;
      cb += ForwardSums(colours[i])[1];
      cr += ForwardSums(colours[i])[2];
      EXPECT_EQ(yv12[(i / 4) * 4 + i % 4], 16 + 219 * ForwardSums(colours[i])[0] / 65535);
    }
    auto quantise = [](int32_t c) { return 16 + 224 * (c + 32768) / 65534; };
    EXPECT_EQ(yv12[8 + block], quantise(cr >> 2)) << block;      // V first
    EXPECT_EQ(yv12[8 + 2 + block], quantise(cb >> 2)) << block;  // then U
  }
}

// 2 × 2-aligned bars through RGB → YV12 → standard kernel come back within what the
// quantisers' floors (one luma step, one chroma step), the table truncations and the
// difference between the forward coefficients and code 4's inverse allow, plus one step of
// the tables.
TEST_F(RgbKernelTest, ColourBarsSurviveTheYv12RoundTrip) {
  const Rgb8 bars[8] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                        {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
  const int barWidth = 16, w = 8 * barWidth, h = 8;
  Bgrx in(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      SetPixel(in, x, y, bars[x / barWidth]);
    }
  }
  std::vector<uint8_t> yv12(w * h * 3 / 2);
  ASSERT_TRUE(ConvertRgbToYv12(in.Data(), in.pitch, yv12.data(), w, h));
  Bgrx out(w, h);
  ASSERT_TRUE(ConvertYv12Standard(yv12.data(), out.Data(), w, h, out.pitch, 0, false, 0));

  // Decoding matrix of code 4 (Kr 0.299, Kb 0.114) on chroma of ±0.5, applied to the encoder.
  const double kr = 0.299, kb = 0.114, kg = 1 - kr - kb;
  const double decode[3][3] = {
      {1, 0, 2 * (1 - kr)}, {1, -2 * kb * (1 - kb) / kg, -2 * kr * (1 - kr) / kg}, {1, 2 * (1 - kb), 0}};
  const double encode[3][3] = {{0.299, 0.587, 0.114}, {-0.169, -0.331, 0.5}, {0.5, -0.419, -0.081}};
  for (int bar = 0; bar < 8; ++bar) {
    const double rgb[3] = {bars[bar][0] / 255.0, bars[bar][1] / 255.0, bars[bar][2] / 255.0};
    double ycc[3];
    for (int k = 0; k < 3; ++k) {
      ycc[k] = encode[k][0] * rgb[0] + encode[k][1] * rgb[1] + encode[k][2] * rgb[2];
    }
    for (int c = 0; c < 3; ++c) {
      const double mismatch = decode[c][0] * ycc[0] + decode[c][1] * ycc[1] + decode[c][2] * ycc[2] - rgb[c];
      // Luma: one step of 1 / 219 plus three truncated terms; chroma: one step of 1 / 224
      // plus the truncations, through the decoding coefficients.
      const double lumaError = 1.0 / 219 + 3.0 / 65535;
      const double chromaError = 1.0 / 224 + 4.0 / 65535;
      const double bound = 255 * (std::fabs(mismatch) + lumaError +
                                  (std::fabs(decode[c][1]) + std::fabs(decode[c][2])) * chromaError) +
                           1;
      for (int x = bar * barWidth; x < bar * barWidth + barWidth - 1; ++x) {
        for (int y = 0; y < h; ++y) {
          ASSERT_LE(std::abs(out.Rgb(x, y)[c] - bars[bar][c]), bound)
              << "bar " << bar << " channel " << c << " at " << x << "," << y;
        }
      }
    }
  }
}

// YUY2 pairs with chroma co-sited on the first pixel and the second between two pairs.
TEST_F(RgbKernelTest, Yuy2FollowsItsPairsAndHonoursThePitch) {
  SetLevels(1.0, 1.1, 2.0);
  for (int w : {1, 2, 7, 16}) {
    const int h = 3, pairs = (w + 1) / 2;
    const ptrdiff_t sourcePitch = 4 * pairs + 6;
    std::vector<uint8_t> source(sourcePitch * h);
    std::mt19937 random(w);
    for (uint8_t& b : source) {
      b = static_cast<uint8_t>(random());
    }
    Bgrx out(w, h, 4 * w + 8);
    ASSERT_TRUE(ConvertYuy2(source.data(), sourcePitch, out.Data(), out.pitch, w, h));
    const ChromaMatrix8& m = *T().chromaMatrix8;
    for (int y = 0; y < h; ++y) {
      const uint8_t* row = &source[y * sourcePitch];
      for (int x = 0; x < w; ++x) {
        const int i = x / 2;
        const uint8_t* pair = row + 4 * i;
        // In quarters of the internal scale, rounded at the end.
        const int32_t l = 4 * (*T().lumaLevel)[pair[2 * (x & 1)]] + 2;
        int32_t b, g, r;
        if (x % 2 == 0 || i + 1 == pairs) {
          b = 4 * m.cbB[pair[1]];
          g = 4 * (m.cbG[pair[1]] + m.crG[pair[3]]);
          r = 4 * m.crR[pair[3]];
        } else {
          const uint8_t* next = pair + 4;
          b = 2 * (m.cbB[pair[1]] + m.cbB[next[1]]);
          g = 2 * (m.cbG[pair[1]] + m.crG[pair[3]] + m.cbG[next[1]] + m.crG[next[3]]);
          r = 2 * (m.crR[pair[3]] + m.crR[next[3]]);
        }
        uint8_t expected[4];
        PutPixel(*T().channelA, expected, (l + b) >> 2, (l + g) >> 2, (l + r) >> 2);
        ASSERT_EQ(0, std::memcmp(out.At(x, y), expected, 4)) << w << ": " << x << "," << y;
      }
      EXPECT_EQ(out.At(w, y)[0], 0xA5);
    }
  }
  // Flat grey.
  std::vector<uint8_t> grey = {126, 128, 126, 128, 126, 128, 126, 128};
  Bgrx out(4, 1);
  SetLevels(1.0, 1.0, 1.0);
  ASSERT_TRUE(ConvertYuy2(grey.data(), 8, out.Data(), out.pitch, 4, 1));
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(out.Rgb(x, 0), (Rgb8{128, 128, 128}));
  }
}

TEST_F(RgbKernelTest, LineDoublingPlacesEachFieldOnItsParity) {
  // One pixel per row; row r of the stacked picture holds 10 × r + 1 in every byte.
  for (int h : {6, 7}) {
    Bgrx in(1, h, 8);
    for (int y = 0; y < h; ++y) {
      std::memset(in.At(0, y), 10 * y + 1, 4);
    }
    const int rows = h / 2;
    const int second = h - rows;
    auto avg = [](int a, int b) { return (a + b + 1) >> 1; };
    std::vector<int> expected1, expected2;
    for (int k = 0; k + 1 < rows; ++k) {
      expected1.push_back(10 * k + 1);
      expected1.push_back(avg(10 * k + 1, 10 * (k + 1) + 1));
    }
    expected1.push_back(10 * (rows - 1) + 1);
    expected1.push_back(10 * (rows - 1) + 1);
    expected2.push_back(10 * second + 1);
    for (int k = 0; k + 1 < rows; ++k) {
      expected2.push_back(10 * (second + k) + 1);
      expected2.push_back(avg(10 * (second + k) + 1, 10 * (second + k + 1) + 1));
    }
    expected2.push_back(10 * (h - 1) + 1);
    for (int field : {1, 2}) {
      Bgrx out(1, 2 * rows, 12);
      ASSERT_TRUE(DoubleStackedField(in.Data(), in.pitch, out.Data(), out.pitch, 1, h, field));
      const std::vector<int>& expected = field == 1 ? expected1 : expected2;
      for (int y = 0; y < 2 * rows; ++y) {
        for (int b = 0; b < 4; ++b) {
          EXPECT_EQ(out.At(0, y)[b], expected[y]) << "h " << h << " field " << field << " row " << y;
        }
        EXPECT_EQ(out.At(0, y)[4], 0xA5);
      }
    }
  }
}

}  // namespace
}  // namespace color::kernel_test
