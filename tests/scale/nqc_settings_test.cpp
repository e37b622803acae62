#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "color/field_interpolator.h"
#include "scale/normal_quality_converter.h"
#include "scale/nqc_reference.h"

namespace scale {
namespace {

using testing::RandomPicture;
using testing::ReferenceConvert;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// A smooth picture: a luma ramp under two chroma ramps.
std::vector<uint8_t> GradientPicture() {
  std::vector<uint8_t> picture(kWidth * kHeight * 3 / 2 + 5);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      picture[y * kWidth + x] = static_cast<uint8_t>(16 + (x * 219) / kWidth);
    }
  }
  uint8_t* chroma = picture.data() + kWidth * kHeight;
  for (int k = 0; k < kHeight; ++k) {  // both chroma planes, kHeight / 2 rows each
    for (int j = 0; j < kWidth / 2; ++j) {
      chroma[k * kWidth / 2 + j] = static_cast<uint8_t>(64 + 4 * j + k);
    }
  }
  return picture;
}

class NqcSettingsTest : public ::testing::Test {
 protected:
  std::vector<uint32_t> Convert(const std::vector<uint8_t>& picture) {
    std::vector<uint32_t> pixels(kWidth * kHeight);
    EXPECT_TRUE(converter_.Convert(picture.data(), reinterpret_cast<uint8_t*>(pixels.data()), kWidth, kHeight,
                                   4 * kWidth, 0));
    return pixels;
  }

  // What the converter must show for `picture` with `settings` and `statistics` in its tables.
  static std::vector<uint32_t> Expected(const std::vector<uint8_t>& picture,
                                        const NormalQualitySettings& settings,
                                        const LevelStatistics& statistics) {
    auto in = std::make_unique<InputTable>();
    auto out = std::make_unique<OutputTables>();
    BuildInputTable(settings, statistics, *in);
    BuildOutputTables(settings, *out);
    return ReferenceConvert(picture.data(), kWidth, kHeight, *in, *out);
  }

  color::FieldInterpolator interpolator_{1};
  NormalQualityConverter converter_{interpolator_, 2};
};

TEST_F(NqcSettingsTest, EachSetterMarksOnlyItsOwnTables) {
  EXPECT_TRUE(converter_.InputTablesStale());
  EXPECT_TRUE(converter_.OutputTablesStale());
  Convert(GradientPicture());
  EXPECT_FALSE(converter_.InputTablesStale());
  EXPECT_FALSE(converter_.OutputTablesStale());

  converter_.SetMonitorContrast(Channel::kRed, 0.9);
  EXPECT_FALSE(converter_.InputTablesStale());
  EXPECT_TRUE(converter_.OutputTablesStale());
  Convert(GradientPicture());

  converter_.SetSaturation(1.2);
  EXPECT_TRUE(converter_.InputTablesStale());
  EXPECT_FALSE(converter_.OutputTablesStale());
  Convert(GradientPicture());

  converter_.SetYuvMatrix(5);
  converter_.SetCGamma(0.9);
  EXPECT_TRUE(converter_.InputTablesStale());
  EXPECT_FALSE(converter_.OutputTablesStale());
  Convert(GradientPicture());

  converter_.SetMonitorBrightness(80);
  converter_.SetDisplayGamma(Channel::kBlue, 2.4);
  converter_.SetSourceTransfer(2);
  EXPECT_FALSE(converter_.InputTablesStale());
  EXPECT_TRUE(converter_.OutputTablesStale());
}

TEST_F(NqcSettingsTest, YcOffsetChangesNothing) {
  const std::vector<uint8_t> picture = RandomPicture(kWidth, kHeight, 3);
  const std::vector<uint32_t> before = Convert(picture);
  converter_.SetYcOffset(5);
  EXPECT_FALSE(converter_.InputTablesStale());
  EXPECT_FALSE(converter_.OutputTablesStale());
  EXPECT_EQ(Convert(picture), before);
  EXPECT_EQ(converter_.YcOffset(), 5);
}

TEST_F(NqcSettingsTest, StatisticsChangeTheCurvesOnlyAtTheNextInputRebuild) {
  EXPECT_FALSE(converter_.DccEnabled());  // start-up never enables it
  const std::vector<uint8_t> busy = RandomPicture(kWidth, kHeight, 11);
  const std::vector<uint8_t> smooth = GradientPicture();
  NormalQualitySettings settings;
  LevelStatistics statistics;
  statistics.Reset(65536);

  converter_.SetDcc(true);
  Convert(busy);  // gathered, then the curves are rebuilt from it
  GatherLevelStatistics(busy.data(), kWidth, kWidth, kHeight, statistics);
  const LevelStatistics firstPicture = statistics;
  const std::vector<uint32_t> shaped = Convert(smooth);
  GatherLevelStatistics(smooth.data(), kWidth, kWidth, kHeight, statistics);
  EXPECT_EQ(shaped, Expected(smooth, settings, firstPicture));
  EXPECT_NE(shaped, Expected(smooth, settings, LevelStatistics{}));

  // An output-only change keeps the curves.
  converter_.SetMonitorContrast(Channel::kGreen, 0.8);
  settings.monitorContrast[1] = 0.8;
  const std::vector<uint32_t> afterMonitor = Convert(smooth);
  EXPECT_EQ(afterMonitor, Expected(smooth, settings, firstPicture));
  GatherLevelStatistics(smooth.data(), kWidth, kWidth, kHeight, statistics);

  // Any input setting, even to the same value, brings in everything gathered so far.
  converter_.SetContrast(1.0);
  GatherLevelStatistics(smooth.data(), kWidth, kWidth, kHeight, statistics);
  EXPECT_EQ(Convert(smooth), Expected(smooth, settings, statistics));

  // Toggling forgets the statistics: off gives the flat curves again.
  converter_.SetDcc(false);
  EXPECT_EQ(Convert(smooth), Expected(smooth, settings, LevelStatistics{}));
  converter_.SetDcc(true);
  LevelStatistics fresh;
  fresh.Reset(65536);
  GatherLevelStatistics(smooth.data(), kWidth, kWidth, kHeight, fresh);
  EXPECT_EQ(Convert(smooth), Expected(smooth, settings, fresh));
}

TEST_F(NqcSettingsTest, SettersMayRunWhileAnotherThreadConverts) {
  const std::vector<uint8_t> picture = RandomPicture(kWidth, kHeight, 17);
  std::atomic<bool> done{false};
  std::thread commands([this, &done] {
    for (int i = 0; !done.load(std::memory_order_relaxed); ++i) {
      converter_.SetBrightness(1.0 + (i % 5) * 0.05);
      converter_.SetMonitorBrightness(100 - i % 20);
      converter_.SetDcc(i % 2 == 0);
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 30; ++i) {
    Convert(picture);
  }
  done.store(true, std::memory_order_relaxed);
  commands.join();
  // Once the commands stop, the next picture shows their last values.
  converter_.SetDcc(false);
  converter_.SetBrightness(1.1);
  converter_.SetMonitorBrightness(90);
  NormalQualitySettings settings;
  settings.brightness = 1.1;
  settings.monitorBrightness = 90;
  EXPECT_EQ(Convert(picture), Expected(picture, settings, LevelStatistics{}));
}

}  // namespace
}  // namespace scale
