#include "scale/lanczos_resizer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <tuple>
#include <vector>

#include "scale/lanczos_reference.h"
#include "scale/scale_dsp.h"
#include "support/cpu_levels.h"

namespace Media::testing {
namespace {

void Resize(LanczosResizerH8_8& resizer, const Picture& src, Picture& dst) {
  resizer.Resize(src.Data(), src.pitch, src.width, src.height, dst.Data(), dst.pitch, dst.width, dst.height);
}

// Everything outside the destination rectangle still holds the guard bytes.
bool GuardsIntact(const Picture& p) {
  for (size_t i = 0; i < p.bytes.size(); ++i) {
    const ptrdiff_t inside = static_cast<ptrdiff_t>(i) - Picture::kMargin;
    const bool inRect =
        inside >= 0 && inside < static_cast<ptrdiff_t>(p.pitch) * p.height && inside % p.pitch < p.width * 4;
    if (!inRect && p.bytes[i] != Picture::kGuard) {
      return false;
    }
  }
  return true;
}

TEST(LanczosResizer, EqualSizesCopyTheRectangleRowByRow) {
  LanczosResizerH8_8 resizer(3, 2);
  Picture src(37, 21, 12);
  src.FillRandom(7);
  Picture dst(37, 21, 5);
  Resize(resizer, src, dst);
  EXPECT_TRUE(dst.SamePixels(src));
  EXPECT_TRUE(GuardsIntact(dst));
  EXPECT_EQ(resizer.HorizontalCache().Builds() + resizer.VerticalCache().Builds(), 0);
}

TEST(LanczosResizer, DestinationsUnderSixteenPixelsOrEmptySourcesAreLeftUntouched) {
  LanczosResizerH8_8 resizer(3, 2);
  Picture src(40, 40);
  src.FillRandom(8);
  for (auto [w, h] : {std::pair{15, 40}, {40, 15}, {15, 15}, {16, 0}}) {
    Picture dst(w, h);
    Resize(resizer, src, dst);
    EXPECT_TRUE(
        std::all_of(dst.bytes.begin(), dst.bytes.end(), [](uint8_t b) { return b == Picture::kGuard; }))
        << w << "x" << h;
  }
  Picture dst(32, 32);
  resizer.Resize(src.Data(), src.pitch, 0, 40, dst.Data(), dst.pitch, 32, 32);
  resizer.Resize(src.Data(), src.pitch, 40, -3, dst.Data(), dst.pitch, 32, 32);
  // Absurd sizes are refused before anything is allocated or read.
  resizer.Resize(src.Data(), src.pitch, 1 << 20, 1 << 20, dst.Data(), dst.pitch, 32, 32);
  resizer.Resize(src.Data(), 1 << 30, 40, 40, dst.Data(), dst.pitch, 32, 32);
  EXPECT_TRUE(
      std::all_of(dst.bytes.begin(), dst.bytes.end(), [](uint8_t b) { return b == Picture::kGuard; }));
}

TEST(LanczosResizer, FlatPicturesStayWithinOneLevel) {
  LanczosResizerH8_8 resizer(3, 2);
  const std::tuple<int, int, int, int> sizes[] = {{40, 30, 97, 61}, {97, 61, 40, 30}, {40, 61, 97, 30},
                                                  {40, 30, 40, 71}, {40, 30, 71, 30}, {64, 64, 16, 16}};
  for (auto [sw, sh, dw, dh] : sizes) {
    for (int level : {0, 1, 16, 100, 128, 200, 254, 255}) {
      const auto b = static_cast<uint8_t>(level);
      Picture src(sw, sh, 4);
      src.Fill(b, b, b, b);
      Picture dst(dw, dh, 8);
      Resize(resizer, src, dst);
      for (int y = 0; y < dh; ++y) {
        for (int i = 0; i < dw * 4; ++i) {
          const int v = dst.Pixel(0, y)[i];
          if (level == 0 || level == 255) {
            ASSERT_EQ(v, level) << sw << "x" << sh << "->" << dw << "x" << dh;
          } else {
            ASSERT_LE(v, level) << sw << "x" << sh << "->" << dw << "x" << dh;
            ASSERT_GE(v, level - 1) << sw << "x" << sh << "->" << dw << "x" << dh << " level " << level;
          }
        }
      }
      ASSERT_TRUE(GuardsIntact(dst));
    }
  }
}

TEST(LanczosResizer, SingleAxisScalingKeepsAllFourChannels) {
  LanczosResizerH8_8 resizer(3, 3);
  for (auto [dw, dh] : {std::pair{50, 77}, {91, 33}, {20, 33}, {50, 18}}) {
    Picture src(50, 33, 3);
    src.Fill(10, 100, 200, 255);
    Picture dst(dw, dh);
    Resize(resizer, src, dst);
    for (int y = 0; y < dh; ++y) {
      for (int x = 0; x < dw; ++x) {
        const uint8_t* p = dst.Pixel(x, y);
        ASSERT_GE(p[0], 9);
        ASSERT_LE(p[0], 10);
        ASSERT_GE(p[1], 99);
        ASSERT_LE(p[1], 100);
        ASSERT_GE(p[2], 199);
        ASSERT_LE(p[2], 200);
        ASSERT_EQ(p[3], 255) << dw << "x" << dh;
      }
    }
  }
}

TEST(LanczosResizer, EdgeColumnsRepeatInsteadOfRingingAcrossTheBorder) {
  LanczosResizerH8_8 resizer(3, 2);
  Picture src(32, 20);
  src.Fill(0, 0, 0, 0);
  for (int y = 0; y < src.height; ++y) {
    src.Pixel(0, y)[2] = 255;
  }
  Picture dst(80, 45);
  Resize(resizer, src, dst);
  for (int y = 0; y < dst.height; ++y) {
    EXPECT_GE(dst.Pixel(0, y)[2], 250) << y;
    EXPECT_EQ(dst.Pixel(dst.width - 1, y)[2], 0) << y;
    for (int x = 0; x < dst.width; ++x) {
      ASSERT_EQ(dst.Pixel(x, y)[0], 0);
      ASSERT_EQ(dst.Pixel(x, y)[1], 0);
    }
  }
}

TEST(LanczosResizer, MatchesTheScalarDefinitionBitForBit) {
  testsupport::ForEachCpuLevel(scale::ScaleDspTable::Init, [] {
    LanczosResizerH8_8 resizer(3, 2);
    const std::tuple<int, int, int, int> sizes[] = {{37, 29, 101, 63}, {101, 63, 37, 29}, {37, 63, 101, 29},
                                                    {101, 29, 37, 63}, {37, 29, 37, 90},  {37, 90, 37, 29},
                                                    {37, 29, 90, 29},  {90, 29, 17, 29},  {200, 150, 16, 16}};
    uint32_t seed = 10;
    for (auto [sw, sh, dw, dh] : sizes) {
      Picture src(sw, sh, 7);
      src.FillRandom(++seed);
      Picture expected(dw, dh, 9);
      Picture actual(dw, dh, 9);
      ReferenceResize(src, expected, 6);
      Resize(resizer, src, actual);
      EXPECT_TRUE(actual.SamePixels(expected)) << sw << "x" << sh << "->" << dw << "x" << dh;
      EXPECT_TRUE(GuardsIntact(actual));
    }
  });
}

TEST(LanczosResizer, ANewSourcePitchAtTheSameSizesIsHonoured) {
  LanczosResizerH8_8 resizer(3, 2);
  for (int extra : {0, 64, 4, 200}) {
    Picture src(40, 30, extra);
    src.FillRandom(20 + extra);
    Picture expected(60, 45);
    Picture actual(60, 45);
    ReferenceResize(src, expected, 6);
    Resize(resizer, src, actual);
    EXPECT_TRUE(actual.SamePixels(expected)) << "pitch " << src.pitch;
  }
}

TEST(LanczosResizer, EveryWorkerCountGivesTheSamePicture) {
  Picture src(123, 77, 1);
  src.FillRandom(30);
  for (auto [dw, dh] : {std::pair{200, 130}, {61, 40}, {123, 20}, {50, 77}}) {
    Picture first(dw, dh);
    {
      LanczosResizerH8_8 one(3, 1);
      Resize(one, src, first);
    }
    for (int workers : {2, 3, 8, 40}) {
      LanczosResizerH8_8 resizer(3, workers);
      ASSERT_EQ(resizer.Workers(), workers);
      Picture dst(dw, dh);
      Resize(resizer, src, dst);
      EXPECT_TRUE(dst.SamePixels(first)) << workers << " workers, " << dw << "x" << dh;
    }
  }
}

TEST(LanczosResizer, LobeCountsAreCorrectedAndWidenWhenShrinking) {
  EXPECT_EQ(LanczosResizerH8_8(7 >> 1, 1).Taps(), 6);
  EXPECT_EQ(LanczosResizerH8_8(0, 1).Taps(), 2);
  EXPECT_EQ(LanczosResizerH8_8(-4, 1).Taps(), 2);
  EXPECT_EQ(LanczosResizerH8_8(1000, 1).Taps(), 2 * LanczosResizerH8_8::kMaxLobes);

  LanczosResizerH8_8 resizer(3, 2);
  Picture src(1920, 20);
  src.FillRandom(40);
  Picture dst(480, 16);
  Resize(resizer, src, dst);
  EXPECT_EQ(resizer.HorizontalCache().Current().taps, 24);

  // Zero lobes run as one: two taps, and flat pictures still come through.
  LanczosResizerH8_8 narrow(0, 2);
  src.Fill(77, 77, 77, 77);
  Picture wide(3000, 33);
  Resize(narrow, src, wide);
  for (int y = 0; y < wide.height; ++y) {
    for (int i = 0; i < wide.width * 4; ++i) {
      ASSERT_GE(wide.Pixel(0, y)[i], 76);
      ASSERT_LE(wide.Pixel(0, y)[i], 77);
    }
  }
}

TEST(LanczosResizer, CoefficientsAreRebuiltOnlyWhenTheSizesChange) {
  LanczosResizerH8_8 resizer(3, 2);
  Picture src(64, 48);
  src.FillRandom(50);
  Picture a(96, 72);
  Picture b(80, 60);
  for (int i = 0; i < 4; ++i) {
    Resize(resizer, src, a);
  }
  EXPECT_EQ(resizer.HorizontalCache().Builds(), 1);
  EXPECT_EQ(resizer.VerticalCache().Builds(), 1);
  for (int i = 0; i < 4; ++i) {
    Resize(resizer, src, i % 2 ? a : b);
  }
  EXPECT_EQ(resizer.HorizontalCache().Builds(), 5);
  EXPECT_EQ(resizer.VerticalCache().Builds(), 5);
  // A copy at equal sizes and a width-only change leave the vertical set alone.
  Picture same(64, 48);
  Resize(resizer, src, same);
  Picture widthOnly(96, 48);
  Resize(resizer, src, widthOnly);
  EXPECT_EQ(resizer.VerticalCache().Builds(), 5);
  EXPECT_EQ(resizer.HorizontalCache().Builds(), 5);
}

TEST(LanczosResizer, CallsFromTwoThreadsAreSerialised) {
  LanczosResizerH8_8 resizer(3, 2);
  Picture src(90, 50);
  src.FillRandom(60);
  Picture expectedUp(150, 80);
  Picture expectedDown(40, 30);
  ReferenceResize(src, expectedUp, 6);
  ReferenceResize(src, expectedDown, 6);
  bool upOk = true;
  bool downOk = true;
  auto run = [&](const Picture& expected, bool& ok) {
    Picture dst(expected.width, expected.height);
    for (int i = 0; i < 20; ++i) {
      Resize(resizer, src, dst);
      ok = ok && dst.SamePixels(expected);
    }
  };
  std::thread up(run, std::cref(expectedUp), std::ref(upOk));
  std::thread down(run, std::cref(expectedDown), std::ref(downOk));
  up.join();
  down.join();
  EXPECT_TRUE(upOk);
  EXPECT_TRUE(downOk);
}

TEST(LanczosResizer, QualityAgainstAnIdealLanczos) {
  LanczosResizerH8_8 resizer(3, 2);
  for (auto [sw, sh, dw, dh] :
       {std::tuple{320, 180, 480, 270}, {480, 270, 320, 180}, {320, 180, 480, 180}, {320, 180, 320, 120}}) {
    Picture src(sw, sh);
    src.FillSmooth();
    Picture ideal(dw, dh);
    Picture actual(dw, dh);
    IdealResize(src, ideal, 3);
    Resize(resizer, src, actual);
    const double psnr = Psnr(actual, ideal);
    std::printf("PSNR %dx%d -> %dx%d against double-precision Lanczos-3: %.2f dB\n", sw, sh, dw, dh, psnr);
    EXPECT_GT(psnr, 45.0);
  }
}

}  // namespace
}  // namespace Media::testing
