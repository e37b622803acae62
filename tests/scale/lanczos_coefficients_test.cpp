#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "scale/lanczos_resizer_cache.h"
#include "scale/lanczos_resizer_coefficients.h"

namespace Media {
namespace {

TEST(LanczosKernel, IsOneAtZeroZeroAtWholeDistancesAndOutsideItsLobes) {
  EXPECT_EQ(LanczosKernel(0.0, 6), 1.0);
  for (double t : {1.0, 2.0, -1.0, -2.0}) {
    EXPECT_NEAR(LanczosKernel(t, 6), 0.0, 1e-15) << t;
  }
  EXPECT_EQ(LanczosKernel(3.0, 6), 0.0);
  EXPECT_EQ(LanczosKernel(-3.5, 6), 0.0);
  EXPECT_EQ(LanczosKernel(1.2, 2), 0.0);
  const double t = 0.7;
  const double pi = std::numbers::pi;
  EXPECT_NEAR(LanczosKernel(t, 6), 3 * std::sin(pi * t) * std::sin(pi * t / 3) / (pi * pi * t * t), 1e-15);
  EXPECT_EQ(LanczosKernel(t, 6), LanczosKernel(-t, 6));
}

// Each output position: weights summing to about 32767 (truncation toward zero moves each by
// under one),
// offsets on the step grid, clamped into the picture and never decreasing.
void ExpectWellFormed(const LanczosCoefficients& set, int step) {
  for (int i = 0; i < set.dstSize; ++i) {
    int sum = 0;
    for (int j = 0; j < set.taps; ++j) {
      const int entry = i * set.taps + j;
      for (int lane = 1; lane < 4; ++lane) {
        ASSERT_EQ(set.weights[entry * 4 + lane], set.weights[entry * 4]);
      }
      sum += set.weights[entry * 4];
      const int offset = set.offsets[entry];
      ASSERT_EQ(offset % step, 0);
      ASSERT_GE(offset, 0);
      ASSERT_LE(offset, (set.srcSize - 1) * step);
      if (j > 0) {
        ASSERT_GE(offset, set.offsets[entry - 1]);
        ASSERT_LE(offset - set.offsets[entry - 1], step);
      }
    }
    EXPECT_LT(std::abs(sum - 32767), set.taps) << i;
  }
}

TEST(LanczosCoefficients, TapCountsFollowTheScaleDirection) {
  LanczosCoefficients set;
  BuildLanczosCoefficients(1920, 480, 8, 6, set);
  EXPECT_EQ(set.taps, 24);
  EXPECT_EQ(set.offsets.size(), 480u * 24);
  EXPECT_EQ(set.weights.size(), 480u * 24 * 4);
  ExpectWellFormed(set, 8);

  BuildLanczosCoefficients(1080, 720, 7680, 6, set);
  EXPECT_EQ(set.taps, 9);
  ExpectWellFormed(set, 7680);

  BuildLanczosCoefficients(1000, 999, 8, 6, set);
  EXPECT_EQ(set.taps, 7);  // rounded up
  ExpectWellFormed(set, 8);

  BuildLanczosCoefficients(720, 1080, 5120, 6, set);
  EXPECT_EQ(set.taps, 6);
  ExpectWellFormed(set, 5120);

  BuildLanczosCoefficients(20, 1000, 8, 2, set);
  EXPECT_EQ(set.taps, 2);
  ExpectWellFormed(set, 8);
}

TEST(LanczosCoefficients, EqualSizesPassEachPixelThrough) {
  LanczosCoefficients set;
  BuildLanczosCoefficients(50, 50, 4, 6, set);
  for (int i = 0; i < 50; ++i) {
    // Taps at whole distances: only the pixel itself has weight.
    for (int j = 0; j < set.taps; ++j) {
      const int16_t w = set.weights[(i * set.taps + j) * 4];
      if (set.offsets[i * set.taps + j] == i * 4 && w != 0) {
        EXPECT_EQ(w, 32767);
      } else {
        EXPECT_EQ(w, 0);
      }
    }
  }
}

TEST(LanczosCoefficients, EdgeTapsRepeatTheEdgePixels) {
  LanczosCoefficients set;
  BuildLanczosCoefficients(100, 150, 8, 6, set);
  // The first output position reaches three pixels left of the picture: all read pixel 0.
  EXPECT_EQ(set.offsets[0], 0);
  EXPECT_EQ(set.offsets[1], 0);
  EXPECT_EQ(set.offsets[2], 0);
  EXPECT_EQ(set.offsets[3], 0);
  EXPECT_EQ(set.offsets[4], 8);
  const int last = (150 - 1) * set.taps;
  EXPECT_EQ(set.offsets[last + set.taps - 1], 99 * 8);
  EXPECT_EQ(set.offsets[last + set.taps - 2], 99 * 8);
}

TEST(LanczosCoefficientCache, RebuildsOnlyWhenTheSizePairOrStepChanges) {
  LanczosCoefficientCache cache(6);
  const LanczosCoefficients* first = &cache.Get(1280, 1920, 8);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(&cache.Get(1280, 1920, 8), first);
  }
  EXPECT_EQ(cache.Builds(), 1);
  for (int i = 0; i < 4; ++i) {
    cache.Get(1280, i % 2 ? 1920 : 1600, 8);
  }
  EXPECT_EQ(cache.Builds(), 5);
  EXPECT_EQ(cache.Get(1280, 1920, 8).dstSize, 1920);
  EXPECT_EQ(cache.Builds(), 5);
  // A new source pitch at the same heights moves every row offset.
  EXPECT_EQ(cache.Get(1280, 1920, 5124).offsets.back(), 1279 * 5124);
  EXPECT_EQ(cache.Builds(), 6);
}

}  // namespace
}  // namespace Media
