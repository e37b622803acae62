#include "app/colour_setup.h"

#include <gtest/gtest.h>

#include <vector>

#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/yuv420_standard_kernel.h"
#include "playback/colour_refresh.h"

namespace app {
namespace {

// What the high-quality mode 1 kernel makes of a picture with dark, bright and coloured parts.
std::vector<uint8_t> ConvertStandard() {
  constexpr int kWidth = 32, kHeight = 16;
  std::vector<uint8_t> picture(kWidth * kHeight * 3 / 2);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 53 % 256);
  std::vector<uint8_t> out(kWidth * kHeight * 4);
  EXPECT_TRUE(
      color::ConvertYv12Standard(picture.data(), out.data(), kWidth, kHeight, kWidth * 4, 0, false, 0));
  return out;
}

class ColourSetupTest : public ::testing::Test {
 protected:
  void TearDown() override {
    color::ReleaseKernelScratch();
    color::ReleaseColour();
  }
};

TEST_F(ColourSetupTest, StoredPictureLevelsApplyFromTheFirstPicture) {
  common::Settings settings;
  InitColourFromSettings(settings);
  const std::vector<uint8_t> neutral = ConvertStandard();

  settings.brightness = 110;
  settings.contrast = 120;
  settings.saturation = 80;
  InitColourFromSettings(settings);
  const std::vector<uint8_t> atStartUp = ConvertStandard();
  playback::RefreshColour(settings);
  EXPECT_EQ(atStartUp, ConvertStandard());
  EXPECT_NE(atStartUp, neutral);
  const color::PictureParams& p = color::GetColourState().params;
  EXPECT_DOUBLE_EQ(p.brightness, 1.1);
  EXPECT_DOUBLE_EQ(p.contrast, 1.2);
  EXPECT_DOUBLE_EQ(p.saturation, 0.8);
}

}  // namespace
}  // namespace app
