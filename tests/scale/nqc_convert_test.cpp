#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "color/field_interpolator.h"
#include "scale/apply_picture_settings.h"
#include "scale/normal_quality_band.h"
#include "scale/normal_quality_converter.h"
#include "scale/nqc_reference.h"
#include "scale/scale_dsp.h"
#include "support/cpu_levels.h"

namespace scale {
namespace {

using scale::ApplyPictureSettings;
using testing::RandomPicture;
using testing::ReferenceConvert;
using testsupport::ForEachCpuLevel;

// The converter's tables for its current settings, built the same way it builds them.
struct Tables {
  std::unique_ptr<InputTable> in = std::make_unique<InputTable>();
  std::unique_ptr<OutputTables> out = std::make_unique<OutputTables>();
  explicit Tables(const NormalQualitySettings& settings, const LevelStatistics& statistics = {}) {
    BuildInputTable(settings, statistics, *in);
    BuildOutputTables(settings, *out);
  }
};

// Strong colours: the chroma sums saturate and the output tables clip.
NormalQualitySettings VividSettings() {
  NormalQualitySettings s;
  s.saturation = 4.5;
  s.contrast = 1.7;
  s.brightness = 0.8;
  s.cGamma = 2.5;
  s.yuvType = 1;
  s.sourceType = 1;
  s.outputType = 3;
  s.displayGamma = {2.0, 2.6, 2.2};
  return s;
}

std::vector<uint32_t> Convert(NormalQualityConverter& converter, const std::vector<uint8_t>& picture,
                              int width, int height, int field = 0) {
  const int padded = NormalQualityConverter::PaddedWidth(width);
  const int rows = field == 0 ? height : 2 * height;
  std::vector<uint32_t> pixels(static_cast<size_t>(padded) * rows, 0xdeadbeef);
  EXPECT_TRUE(converter.Convert(picture.data(), reinterpret_cast<uint8_t*>(pixels.data()), width, height,
                                4 * padded, field));
  return pixels;
}

TEST(NqcConvertTest, EqualsThePixelByPixelReferenceForAnyWorkerCountAndSize) {
  color::FieldInterpolator interpolator(1);
  const NormalQualitySettings settings = VividSettings();
  const Tables tables(settings);
  const int sizes[][2] = {{1, 2},  {2, 2},   {3, 3},   {4, 5},    {6, 7},    {8, 2},
                          {13, 9}, {30, 17}, {64, 64}, {122, 99}, {200, 33}, {101, 480}};
  ForEachCpuLevel(ScaleDspTable::Init, [&] {
    for (int workers : {1, 2, 3, 8}) {
      NormalQualityConverter converter(interpolator, workers);
      ApplyPictureSettings(converter, settings);
      for (const auto& size : sizes) {
        SCOPED_TRACE(::testing::Message() << workers << " workers, " << size[0] << "x" << size[1]);
        const int padded = NormalQualityConverter::PaddedWidth(size[0]);
        const std::vector<uint8_t> picture = RandomPicture(padded, size[1], size[0] * 1000 + size[1]);
        EXPECT_EQ(Convert(converter, picture, size[0], size[1]),
                  ReferenceConvert(picture.data(), padded, size[1], *tables.in, *tables.out));
      }
    }
  });
}

TEST(NqcConvertTest, BandKernelSaturatesLikeTheReferenceWithExtremeEntries) {
  std::mt19937 random(7);
  Tables tables{NormalQualitySettings{}};
  for (auto* plane : {tables.in->y, tables.in->u, tables.in->v}) {
    for (int i = 0; i < 256; ++i) {
      for (int lane = 0; lane < kLanes; ++lane) {
        plane[i][lane] = static_cast<int16_t>(random());
      }
    }
  }
  for (int i = 0; i < OutputTables::kSize; ++i) {
    tables.out->r[i] = static_cast<uint8_t>(i * 7);
    tables.out->g[i] = static_cast<uint8_t>(i >> 8);
    tables.out->b[i] = static_cast<uint8_t>(i * 13 + (i >> 8));
  }
  const int width = 36;
  const int height = 11;
  const std::vector<uint8_t> picture = RandomPicture(width, height, 99);
  std::vector<uint32_t> pixels(width * height);
  BandRows rows;
  rows.Reserve(width);
  const uint8_t* v = picture.data() + width * height;
  const NormalQualityBand band{picture.data(),
                               v + (width / 2) * (height / 2),
                               v,
                               reinterpret_cast<uint8_t*>(pixels.data()),
                               4 * width,
                               width,
                               height,
                               height / 2};
  const std::vector<uint32_t> expected =
      ReferenceConvert(picture.data(), width, height, *tables.in, *tables.out);
  ForEachCpuLevel(ScaleDspTable::Init, [&] {
    const BandConverter kernel = ScaleDspTable::Get().convertBand;
    std::fill(pixels.begin(), pixels.end(), 0);
    kernel(band, *tables.in, *tables.out, rows);
    EXPECT_EQ(pixels, expected);
  });
}

// A single chroma detail on a zero background, read through an output table that shows the
// blue lane divided by 8.
class SplatTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 8;
  static constexpr int kHeight = 8;

  SplatTest() : tables_(NormalQualitySettings{}) {
    std::memset(tables_.in.get(), 0, sizeof(InputTable));
    tables_.in->u[200][0] = 800;
    for (int i = 0; i < OutputTables::kSize; ++i) {
      tables_.out->b[i] = static_cast<uint8_t>(static_cast<int16_t>(i) / 8);
    }
    picture_.assign(kWidth * kHeight * 3 / 2, 0);
  }

  void SetU(int j, int k) { picture_[kWidth * kHeight * 5 / 4 + k * (kWidth / 2) + j] = 200; }

  // The blue byte of every pixel, rows 0 … 7.
  std::vector<int> Blue(BandConverter kernel) {
    std::vector<uint32_t> pixels(kWidth * kHeight);
    BandRows rows;
    rows.Reserve(kWidth);
    const uint8_t* v = picture_.data() + kWidth * kHeight;
    const NormalQualityBand band{picture_.data(),
                                 v + kWidth * kHeight / 4,
                                 v,
                                 reinterpret_cast<uint8_t*>(pixels.data()),
                                 4 * kWidth,
                                 kWidth,
                                 kHeight,
                                 kHeight / 2};
    kernel(band, *tables_.in, *tables_.out, rows);
    std::vector<int> blue;
    for (uint32_t p : pixels) {
      blue.push_back(static_cast<int>(p & 0xff));
    }
    return blue;
  }

  Tables tables_;
  std::vector<uint8_t> picture_;
};

TEST_F(SplatTest, OneChromaSampleSpreadsOverThreeByThreeWithWeightsOneHalfQuarter) {
  SetU(1, 1);  // co-sited with luma pixel (2, 2)
  std::vector<int> expected(kWidth * kHeight, 0);
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      expected[(2 + dy) * kWidth + 2 + dx] = 100 >> (std::abs(dx) + std::abs(dy));
    }
  }
  ForEachCpuLevel(ScaleDspTable::Init, [&] {
    const BandConverter kernel = ScaleDspTable::Get().convertBand;
    EXPECT_EQ(Blue(kernel), expected);
  });
}

TEST_F(SplatTest, LastColumnAndBottomRowTakeTheLastSampleWithFullWeight) {
  SetU(3, 3);  // the bottom-right chroma sample, co-sited with (6, 6)
  ForEachCpuLevel(ScaleDspTable::Init, [&] {
    const BandConverter kernel = ScaleDspTable::Get().convertBand;
    const std::vector<int> blue = Blue(kernel);
    EXPECT_EQ(blue[6 * kWidth + 6], 100);
    EXPECT_EQ(blue[6 * kWidth + 7], 100);  // last column: weight 1, not 1/2
    EXPECT_EQ(blue[7 * kWidth + 6], 100);  // bottom row: weight 1
    EXPECT_EQ(blue[7 * kWidth + 7], 100);
    EXPECT_EQ(blue[5 * kWidth + 7], 50);
    EXPECT_EQ(blue[5 * kWidth + 5], 25);
    EXPECT_EQ(blue[6 * kWidth + 5], 50);
    EXPECT_EQ(blue[4 * kWidth + 6], 0);
  });
}

TEST(NqcConvertTest, FieldPicturesAreTheConvertedFieldDoubled) {
  const NormalQualitySettings settings = VividSettings();
  const Tables tables(settings);
  const int width = 45;
  const int height = 31;
  const int padded = NormalQualityConverter::PaddedWidth(width);
  const std::vector<uint8_t> picture = RandomPicture(padded, height, 5);
  std::vector<uint32_t> field = ReferenceConvert(picture.data(), padded, height, *tables.in, *tables.out);
  color::FieldInterpolator interpolator(2);
  color::FieldInterpolator expectedInterpolator(1);
  NormalQualityConverter converter(interpolator, 3);
  ApplyPictureSettings(converter, settings);
  for (int f : {1, 2}) {
    std::vector<uint32_t> expected(static_cast<size_t>(padded) * 2 * height);
    ASSERT_TRUE(expectedInterpolator.InterpolateField(reinterpret_cast<const uint8_t*>(field.data()),
                                                      reinterpret_cast<uint8_t*>(expected.data()), padded,
                                                      height, 4 * padded, f, 4 * padded));
    EXPECT_EQ(Convert(converter, picture, width, height, f), expected) << "field " << f;
  }
  EXPECT_TRUE(interpolator.Running());
}

TEST(NqcConvertTest, RefusesImpossibleGeometryWithoutWriting) {
  color::FieldInterpolator interpolator(1);
  NormalQualityConverter converter(interpolator, 2);
  std::vector<uint8_t> picture(64 * 64 * 2);
  std::vector<uint8_t> destination(64 * 64 * 8, 0x5a);
  const std::vector<uint8_t> untouched = destination;
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), 0, 4, 64, 0));
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), 8, 1, 64, 0));
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), 8, 4, 28, 0));  // pitch below 4 × 8
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), 7, 4, 28, 0));  // 7 pads to 8
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), 8, 4, 32, 3));
  EXPECT_FALSE(converter.Convert(picture.data(), destination.data(), NormalQualityConverter::kMaxSize + 1, 2,
                                 1 << 20, 0));
  EXPECT_FALSE(converter.Convert(nullptr, destination.data(), 8, 4, 32, 0));
  EXPECT_EQ(destination, untouched);
}

TEST(NqcBandsTest, BandsStartOnEvenRowsSplitEvenly) {
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(NormalQualityConverter::BandStart(k, 480, 8), 60 * k);
  }
  EXPECT_EQ(NormalQualityConverter::BandStart(1, 480, 3), 160);
  EXPECT_EQ(NormalQualityConverter::BandStart(2, 480, 3), 320);
  EXPECT_EQ(NormalQualityConverter::BandStart(1, 100, 3), 32);  // 33.3 → 33, made even
  EXPECT_EQ(NormalQualityConverter::BandCount(480, 8), 8);
  EXPECT_EQ(NormalQualityConverter::BandCount(480, 3), 3);
  // Short pictures use fewer bands instead of bands of a few rows.
  EXPECT_EQ(NormalQualityConverter::BandCount(2, 8), 1);
  EXPECT_EQ(NormalQualityConverter::BandCount(40, 8), 2);
}

TEST(NqcBandsTest, PaddedWidthRoundsUpToFour) {
  EXPECT_EQ(NormalQualityConverter::PaddedWidth(1), 4);
  EXPECT_EQ(NormalQualityConverter::PaddedWidth(4), 4);
  EXPECT_EQ(NormalQualityConverter::PaddedWidth(5), 8);
  EXPECT_EQ(NormalQualityConverter::PaddedWidth(7), 8);
  EXPECT_EQ(NormalQualityConverter::PaddedWidth(1920), 1920);
}

}  // namespace
}  // namespace scale
