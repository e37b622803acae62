#include "color/field_interpolator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

#include "color/colour_dsp.h"
#include "color/field_interpolator_band.h"
#include "color/field_interpolator_filter.h"
#include "support/cpu_levels.h"

namespace color {
namespace {

using testsupport::ForEachCpuLevel;

// Every output byte from all six taps of the filter, as the arithmetic is defined.
std::vector<uint8_t> ReferenceInterpolate(const std::vector<uint8_t>& source, int width, int height,
                                          ptrdiff_t pitch, int field) {
  const std::vector<FieldFilterRow> filter = BuildFieldFilter(height, pitch, field == 1 ? -0.25 : 0.25);
  const int rowBytes = 4 * width;
  std::vector<uint8_t> out(static_cast<size_t>(rowBytes) * 2 * height);
  for (int i = 0; i < 2 * height; ++i) {
    for (int x = 0; x < rowBytes; ++x) {
      int sum = 0;
      for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
        const int wide = (source[filter[i].offsets[j] + x] * 257) >> 1;
        sum = std::clamp(sum + ((wide * filter[i].weights[j]) >> 16), -32768, 32767);
      }
      out[i * rowBytes + x] = static_cast<uint8_t>(std::clamp((sum >> 5) - 128, -128, 127) + 128);
    }
  }
  return out;
}

std::vector<uint8_t> RandomField(int width, int height, ptrdiff_t pitch, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> field(static_cast<size_t>(pitch) * height);
  for (uint8_t& b : field) {
    b = static_cast<uint8_t>(random());
  }
  return field;
}

std::vector<uint8_t> Interpolate(FieldInterpolator& interpolator, const std::vector<uint8_t>& source,
                                 int width, int height, ptrdiff_t pitch, int field) {
  std::vector<uint8_t> out(static_cast<size_t>(4 * width) * 2 * height, 0xcd);
  EXPECT_TRUE(
      interpolator.InterpolateField(source.data(), out.data(), width, height, pitch, field, 4 * width));
  return out;
}

TEST(FieldInterpolatorTest, EqualsTheReferenceForAnyWorkerCountAndSize) {
  const int sizes[][2] = {{1, 1}, {1, 2}, {3, 5}, {5, 2}, {17, 9}, {33, 40}, {64, 3}, {100, 77}};
  ForEachCpuLevel(ColourDspTable::Init, [&] {
    for (int workers : {1, 2, 3, 8}) {
      FieldInterpolator interpolator(workers);
      for (const auto& size : sizes) {
        const int width = size[0];
        const int height = size[1];
        const ptrdiff_t pitch = 4 * width + 12;  // a source wider than its rows
        const std::vector<uint8_t> source = RandomField(width, height, pitch, width * 100 + height);
        for (int field : {1, 2}) {
          SCOPED_TRACE(::testing::Message()
                       << workers << " workers, " << width << "x" << height << " field " << field);
          EXPECT_EQ(Interpolate(interpolator, source, width, height, pitch, field),
                    ReferenceInterpolate(source, width, height, pitch, field));
        }
      }
    }
  });
}

TEST(FieldInterpolatorTest, VectorKernelsEqualTheReference) {
  const int width = 61;  // leaves a tail after every vector width
  const int height = 13;
  const ptrdiff_t pitch = 4 * width;
  const std::vector<uint8_t> source = RandomField(width, height, pitch, 21);
  ForEachCpuLevel(ColourDspTable::Init, [&] {
    const FieldBandKernel kernel = ColourDspTable::Get().interpolateBand;
    for (int field : {1, 2}) {
      const std::vector<FieldFilterRow> filter = BuildFieldFilter(height, pitch, field == 1 ? -0.25 : 0.25);
      std::vector<uint8_t> out(static_cast<size_t>(pitch) * 2 * height);
      kernel(FieldBand{source.data(), out.data(), pitch, width, 2 * height, filter.data()});
      EXPECT_EQ(out, ReferenceInterpolate(source, width, height, pitch, field));
    }
  });
}

TEST(FieldInterpolatorTest, BandsSplitTheOutputRowsByRoundedShares) {
  EXPECT_EQ(FieldInterpolator::BandStart(0, 10, 1), 0);
  EXPECT_EQ(FieldInterpolator::BandStart(0, 10, 3), 0);
  EXPECT_EQ(FieldInterpolator::BandStart(1, 10, 3), 3);
  EXPECT_EQ(FieldInterpolator::BandStart(2, 10, 3), 7);
}

TEST(FieldInterpolatorTest, ABrightLineLandsOnRowTwoRForFieldOneAndTwoRPlusOneForFieldTwo) {
  const int width = 4;
  const int height = 12;
  const int line = 5;
  std::vector<uint8_t> source(4 * width * height, 16);
  std::fill_n(source.begin() + 4 * width * line, 4 * width, 235);
  FieldInterpolator interpolator(3);
  for (int field : {1, 2}) {
    const std::vector<uint8_t> out = Interpolate(interpolator, source, width, height, 4 * width, field);
    const int peak = 2 * line + (field - 1);
    for (int r = 0; r < 2 * height; ++r) {
      if (r != peak) {
        EXPECT_LT(out[r * 4 * width], out[peak * 4 * width]) << "field " << field << " row " << r;
      }
    }
    EXPECT_EQ(out[peak * 4 * width], 235);
    // The lobes either side of the peak are equal.
    EXPECT_EQ(out[(peak - 1) * 4 * width], out[(peak + 1) * 4 * width]);
  }
}

TEST(FieldInterpolatorTest, EdgeRowsRepeatTheFirstAndLastSourceRow) {
  const int height = 6;
  const ptrdiff_t pitch = 32;
  for (double phase : {-0.25, 0.25}) {
    const std::vector<FieldFilterRow> filter = BuildFieldFilter(height, pitch, phase);
    ASSERT_EQ(filter.size(), 2u * height);
    EXPECT_EQ(filter.front().offsets[0], 0);
    EXPECT_EQ(filter.front().offsets[1], 0);
    EXPECT_EQ(filter.back().offsets[5], (height - 1) * pitch);
    for (const FieldFilterRow& row : filter) {
      int sum = 0;
      for (int j = 0; j < FieldFilterRow::kTaps; ++j) {
        EXPECT_GE(row.offsets[j], 0);
        EXPECT_LE(row.offsets[j], (height - 1) * pitch);
        sum += row.weights[j];
      }
      EXPECT_NEAR(sum, kFieldUnityWeight, FieldFilterRow::kTaps);
    }
  }
}

// The 16-bit products are floored, which can take one step off interpolated rows of dark
// levels; black, mid grey, white and the copied rows stay exact.
TEST(FieldInterpolatorTest, AConstantPictureStaysConstant) {
  const int width = 8;
  const int height = 10;
  FieldInterpolator interpolator(2);
  for (int level = 0; level < 256; ++level) {
    const std::vector<uint8_t> source(4 * width * height, static_cast<uint8_t>(level));
    for (int field : {1, 2}) {
      const std::vector<uint8_t> out = Interpolate(interpolator, source, width, height, 4 * width, field);
      for (int r = 0; r < 2 * height; ++r) {
        const int value = out[r * 4 * width];
        EXPECT_TRUE(std::all_of(out.begin() + r * 4 * width, out.begin() + (r + 1) * 4 * width,
                                [value](uint8_t b) { return b == value; }));
        const bool copied = (r % 2) == (field - 1);
        if (copied || level == 0 || level == 128 || level == 255) {
          EXPECT_EQ(value, level) << "field " << field << " row " << r;
        } else {
          EXPECT_LE(std::abs(value - level), 1) << "field " << field << " row " << r;
        }
      }
    }
  }
}

TEST(FieldInterpolatorTest, RebuildsForANewHeightOrPitchAndRestartsAfterShutdown) {
  FieldInterpolator interpolator(2);
  EXPECT_FALSE(interpolator.Running());
  const std::vector<uint8_t> a = RandomField(9, 7, 36, 1);
  const std::vector<uint8_t> b = RandomField(9, 11, 40, 2);
  EXPECT_EQ(Interpolate(interpolator, a, 9, 7, 36, 1), ReferenceInterpolate(a, 9, 7, 36, 1));
  EXPECT_TRUE(interpolator.Running());
  EXPECT_EQ(Interpolate(interpolator, b, 9, 11, 40, 2), ReferenceInterpolate(b, 9, 11, 40, 2));
  EXPECT_EQ(Interpolate(interpolator, b, 9, 7, 40, 2), ReferenceInterpolate(b, 9, 7, 40, 2));
  interpolator.Shutdown();
  EXPECT_FALSE(interpolator.Running());
  EXPECT_EQ(Interpolate(interpolator, a, 9, 7, 36, 2), ReferenceInterpolate(a, 9, 7, 36, 2));
}

TEST(FieldInterpolatorTest, RefusesBadArgumentsWithoutWriting) {
  FieldInterpolator interpolator(2);
  std::vector<uint8_t> source(64 * 8);
  std::vector<uint8_t> out(64 * 16, 0x77);
  const std::vector<uint8_t> untouched = out;
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 16, 8, 64, 0, 64));
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 16, 8, 64, 3, 64));
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 16, 8, 60, 1, 64));
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 16, 8, 64, 1, 60));
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 0, 8, 64, 1, 64));
  EXPECT_FALSE(interpolator.InterpolateField(source.data(), out.data(), 16, 0, 64, 1, 64));
  EXPECT_FALSE(interpolator.InterpolateField(nullptr, out.data(), 16, 8, 64, 1, 64));
  EXPECT_EQ(out, untouched);
  EXPECT_FALSE(interpolator.Running());
}

}  // namespace
}  // namespace color
