#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "color/field_interpolator.h"
#include "color/picture_model.h"
#include "scale/apply_picture_settings.h"
#include "scale/normal_quality_converter.h"
#include "scale/normal_quality_tables.h"
#include "scale/nqc_reference.h"

namespace scale {
namespace {

struct Tables {
  std::unique_ptr<InputTable> in = std::make_unique<InputTable>();
  std::unique_ptr<OutputTables> out = std::make_unique<OutputTables>();
  explicit Tables(const NormalQualitySettings& settings, const LevelStatistics& statistics = {}) {
    BuildInputTable(settings, statistics, *in);
    BuildOutputTables(settings, *out);
  }
  // Grey pixel of luma y, as the converter shows it over neutral chroma.
  std::array<int, 3> Grey(int y) const {
    const uint16_t i = static_cast<uint16_t>(in->y[y][0]);
    return {out->r[i], out->g[i], out->b[i]};
  }
};

TEST(NqcTablesTest, VideoBlackAndWhiteForEveryTransferPairOfEqualTypes) {
  for (int type = 0; type <= 4; ++type) {  // 4: an unknown type passes values through
    SCOPED_TRACE(type);
    NormalQualitySettings settings;
    settings.sourceType = type;
    settings.outputType = type;
    const Tables tables(settings);
    EXPECT_EQ(tables.in->u[128][0] | tables.in->u[128][1] | tables.in->v[128][1] | tables.in->v[128][2], 0);
    for (int y = 0; y <= 16; ++y) {
      EXPECT_EQ(tables.Grey(y), (std::array<int, 3>{0, 0, 0})) << y;
    }
    for (int y = 235; y <= 255; ++y) {
      EXPECT_EQ(tables.Grey(y), (std::array<int, 3>{255, 255, 255})) << y;
    }
  }
}

TEST(NqcTablesTest, FlatStatisticsGiveTheVideoRangeRamps) {
  LevelStatistics reset;
  reset.Reset(65536);
  for (const LevelStatistics& statistics : {LevelStatistics{}, reset}) {
    const Tables tables(NormalQualitySettings{}, statistics);
    for (int y = 16; y <= 235; ++y) {
      EXPECT_NEAR(tables.in->y[y][0], (y - 16) / 219.0 * 8191.75, 1.0) << y;
    }
    const double bu = 2 * (1 - 0.1135);  // type 0
    // Chroma 0 continues the ramp beyond 1 like 255 does.
    for (int c = 0; c < 256; ++c) {
      EXPECT_NEAR(tables.in->u[c][0], (c - 128) / 112.0 * 16383 * bu * 0.25, 1.0) << c;
    }
    EXPECT_LT(tables.in->u[0][0], tables.in->u[1][0]);
    EXPECT_LT(tables.in->v[0][2], tables.in->v[1][2]);
  }
}

TEST(NqcTablesTest, MonitorLevelLiftsOnlyItsChannel) {
  NormalQualitySettings settings;
  settings.monitorLevel[0] = 1.1;
  const Tables tables(settings);
  EXPECT_EQ(tables.Grey(16), (std::array<int, 3>{26, 0, 0}));  // 0.1 × 255 = 25.5, rounded up
}

TEST(NqcTablesTest, BusyLevelsSteepenTheLumaCurveThere) {
  LevelStatistics statistics;
  statistics.Reset(65536);
  for (int v = 100; v <= 120; ++v) {
    statistics.luma[v] += 100 * 65536;
  }
  const Tables flat(NormalQualitySettings{});
  const Tables shaped(NormalQualitySettings{}, statistics);
  EXPECT_GT(shaped.in->y[120][0] - shaped.in->y[100][0], 3 * (flat.in->y[120][0] - flat.in->y[100][0]) / 2);
  EXPECT_EQ(shaped.in->y[16][0], 0);
  EXPECT_EQ(shaped.in->y[235][0], 8192);
  for (int y = 1; y < 256; ++y) {
    EXPECT_GE(shaped.in->y[y][0], shaped.in->y[y - 1][0]);
  }
}

TEST(NqcStatisticsTest, NeighbourDifferencesWithinRowsOnly) {
  // Width 6 pads to 8: two luma rows of eight, then two chroma rows of four (V, then U).
  std::vector<uint8_t> picture = {
      10,  20,  20,  20, 20, 21, 99, 99,  // the padding after six samples is never read
      30,  30,  30,  30, 30, 30, 99, 99,  //
      128, 132, 128, 77,                  // V: three samples per row
      100, 100, 90,  77,                  // U
  };
  LevelStatistics statistics;
  GatherLevelStatistics(picture.data(), 6, 8, 2, statistics);
  EXPECT_EQ(statistics.luma[10], 5u);
  EXPECT_EQ(statistics.luma[20], 5u);  // 20→21 adds 0
  EXPECT_EQ(statistics.luma[21], 0u);
  EXPECT_EQ(statistics.luma[30], 0u);
  EXPECT_EQ(statistics.luma[99], 0u);
  EXPECT_EQ(statistics.chroma[128], 4u);  // 128→132 and 132→128
  EXPECT_EQ(statistics.chroma[132], 4u);
  EXPECT_EQ(statistics.chroma[100], 5u);
  EXPECT_EQ(statistics.chroma[90], 5u);
  EXPECT_EQ(statistics.chroma[77], 0u);
  EXPECT_EQ(statistics.pictures, 1u);
}

// Blocks of 8 × 8 flat pixels, each a different colour; the middle 4 × 4 of a block sees only
// its own chroma and must match the exact model within one step, channels below black
// included (they show the monitor's black level).
void ExpectNearModel(const NormalQualitySettings& settings, const color::PictureParams& params) {
  constexpr int kBlocks = 32;
  constexpr int kSize = 8 * kBlocks;
  std::vector<uint8_t> picture(kSize * kSize * 3 / 2);
  uint8_t* v = picture.data() + kSize * kSize;
  uint8_t* u = v + kSize * kSize / 4;
  auto colour = [](int bx, int by) {
    const int n = by * kBlocks + bx;
    return std::array<int, 3>{16 + (n % 16) * 15 - (n % 16 == 15 ? 6 : 0), 16 + ((n / 16) % 8) * 32,
                              16 + (n / 128) * 28};
  };
  for (int by = 0; by < kBlocks; ++by) {
    for (int bx = 0; bx < kBlocks; ++bx) {
      const std::array<int, 3> yuv = colour(bx, by);
      for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 8; ++j) {
          picture[(8 * by + i) * kSize + 8 * bx + j] = static_cast<uint8_t>(yuv[0]);
        }
      }
      for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
          u[(4 * by + i) * kSize / 2 + 4 * bx + j] = static_cast<uint8_t>(yuv[1]);
          v[(4 * by + i) * kSize / 2 + 4 * bx + j] = static_cast<uint8_t>(yuv[2]);
        }
      }
    }
  }
  color::FieldInterpolator interpolator(1);
  NormalQualityConverter converter(interpolator, 2);
  scale::ApplyPictureSettings(converter, settings);
  std::vector<uint32_t> pixels(kSize * kSize);
  ASSERT_TRUE(converter.Convert(picture.data(), reinterpret_cast<uint8_t*>(pixels.data()), kSize, kSize,
                                4 * kSize, 0));
  for (int by = 0; by < kBlocks; ++by) {
    for (int bx = 0; bx < kBlocks; ++bx) {
      const std::array<int, 3> yuv = colour(bx, by);
      const color::Rgb8 model = color::EvaluatePictureModel(params, yuv[0], yuv[1], yuv[2]);
      for (int i = 2; i < 6; ++i) {
        for (int j = 2; j < 6; ++j) {
          const uint32_t p = pixels[(8 * by + i) * kSize + 8 * bx + j];
          const int rgb[3] = {static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                              static_cast<int>(p & 0xff)};
          for (int c = 0; c < 3; ++c) {
            ASSERT_LE(std::abs(rgb[c] - model[c]), 1)
                << "Y " << yuv[0] << " U " << yuv[1] << " V " << yuv[2] << " channel " << c;
          }
        }
      }
    }
  }
}

TEST(NqcModelTest, NeutralSettingsMatchTheExactModel) {
  NormalQualitySettings settings;
  color::PictureParams params;
  params.source = 0;
  params.output = 0;
  ExpectNearModel(settings, params);
  settings.sourceType = 2;
  settings.outputType = 2;
  params.source = 2;
  params.output = 2;
  settings.yuvType = 4;
  params.matrix = 4;
  ExpectNearModel(settings, params);
}

TEST(NqcModelTest, PictureAndMonitorSettingsMatchTheExactModel) {
  NormalQualitySettings settings;
  color::PictureParams params;
  settings.brightness = params.brightness = 1.05;
  settings.contrast = params.contrast = 0.9;
  settings.saturation = params.saturation = 1.3;
  settings.yuvType = params.matrix = 1;
  settings.sourceType = params.source = 1;
  settings.outputType = params.output = 0;
  settings.monitorBrightness = 80;
  params.monitorBrightness = 0.8;
  settings.displayGamma[0] = params.displayGamma[0] = 2.5;
  settings.monitorLevel[2] = params.monitorLevel[2] = 1.04;
  ExpectNearModel(settings, params);
}

}  // namespace
}  // namespace scale
