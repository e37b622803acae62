#include "app/setting_commands.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/colour_setup.h"
#include "app/commands.h"
#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "common/allocation_lock.h"
#include "fake_mixer.h"
#include "playback/colour_refresh.h"
#include "recording_overlay.h"
#include "scale/normal_quality_converter.h"

namespace app {
namespace {

using color::GetColourState;
using common::SharedInt;

// A small YV12 picture with every kind of pixel the settings change: dark, bright, coloured.
std::vector<uint8_t> TestPicture() {
  constexpr int kWidth = 16, kHeight = 8;
  std::vector<uint8_t> picture(kWidth * kHeight * 3 / 2);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(16 + i * 37 % 224);
  return picture;
}

std::vector<uint8_t> Convert(scale::NormalQualityConverter& converter) {
  const std::vector<uint8_t> picture = TestPicture();
  std::vector<uint8_t> out(16 * 8 * 4);
  EXPECT_TRUE(converter.Convert(picture.data(), out.data(), 16, 8, 16 * 4, 0));
  return out;
}

std::vector<uint8_t> ChannelTableA() {
  const color::ChannelTableSet& set = *GetColourState().tables.channelA;
  std::vector<uint8_t> bytes;
  for (const auto& table : set) {
    for (size_t i = 0; i < table.Size(); ++i) bytes.push_back(table[i]);
  }
  return bytes;
}

class SettingCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common::AllocationLock::Acquire();
    InitColourFromSettings(settings_);
    InitFrameProcessorFromSettings(frameProcessor_, settings_);
  }
  void TearDown() override {
    color::ReleaseColour();
    common::AllocationLock::Release();
  }

  // Runs the command and returns its message ("" for none).
  std::string Run(int command) {
    EXPECT_TRUE(RunSettingCommand(command, context_)) << command;
    return osd_.Take();
  }
  std::string Run(int command, SharedInt& setting, int32_t from) {
    setting = from;
    return Run(command);
  }

  // The frame processor converts as one given every picture setting afresh would.
  void ExpectFrameProcessorFollows(const common::Settings& settings) {
    scale::NormalQualityConverter reference(color::GetFieldInterpolator(), 1);
    InitFrameProcessorFromSettings(reference, settings);
    EXPECT_EQ(Convert(frameProcessor_), Convert(reference));
  }

  common::Settings settings_;
  scale::NormalQualityConverter frameProcessor_{color::GetFieldInterpolator(), 1};
  testing::RecordingOverlay osd_;
  testing::FakeMixer mixer_{65535};
  std::vector<bool> dccMarks_;
  std::vector<std::pair<std::string, std::string>> boxes_;
  SettingCommandContext context_{
      settings_,
      frameProcessor_,
      osd_,
      &mixer_,
      [this](bool checked) { dccMarks_.push_back(checked); },
      [this](const std::string& text, const std::string& caption) { boxes_.emplace_back(text, caption); }};
};

TEST_F(SettingCommandsTest, PictureLevelsStepByFiveWithinZeroToFiveHundred) {
  EXPECT_EQ(Run(kCmdBrightnessUp, settings_.brightness, 498), "Brightness: 500%");
  EXPECT_EQ(settings_.brightness, 500);
  EXPECT_EQ(Run(kCmdBrightnessUp), "Brightness: 500%");
  EXPECT_DOUBLE_EQ(GetColourState().params.brightness, 5.0);
  EXPECT_EQ(Run(kCmdBrightnessDown, settings_.brightness, 3), "Brightness: 0%");
  // A stored value outside the range is only cut on the side the key moves towards.
  EXPECT_EQ(Run(kCmdBrightnessUp, settings_.brightness, -20), "Brightness: -15%");
  EXPECT_EQ(Run(kCmdBrightnessDown, settings_.brightness, INT32_MIN), "Brightness: 0%");
  EXPECT_EQ(Run(kCmdContrastUp, settings_.contrast, 100), "Contrast: 105%");
  EXPECT_EQ(Run(kCmdContrastDown, settings_.contrast, 100), "Contrast: 95%");
  EXPECT_DOUBLE_EQ(GetColourState().params.contrast, 0.95);
  EXPECT_EQ(Run(kCmdSaturationUp, settings_.saturation, 497), "Saturation: 500%");
  EXPECT_EQ(Run(kCmdSaturationDown, settings_.saturation, 80), "Saturation: 75%");
  EXPECT_DOUBLE_EQ(GetColourState().params.saturation, 0.75);
  ExpectFrameProcessorFollows(settings_);
}

TEST_F(SettingCommandsTest, LumaAndChromaGammasStopAtFiveAndFiveHundred) {
  EXPECT_EQ(Run(kCmdCGammaDown, settings_.cGamma, 7), "C-Gamma: 0.05");
  EXPECT_EQ(Run(kCmdCGammaDown, settings_.cGamma, 10), "C-Gamma: 0.05");
  EXPECT_EQ(Run(kCmdCGammaDown, settings_.cGamma, 15), "C-Gamma: 0.10");
  EXPECT_EQ(settings_.cGamma, 10);
  EXPECT_DOUBLE_EQ(GetColourState().params.cGamma, 0.10);
  EXPECT_EQ(Run(kCmdCGammaUp, settings_.cGamma, 498), "C-Gamma: 5.00");
  EXPECT_EQ(Run(kCmdYGammaDown, settings_.yGamma, 100), "Y-Gamma: 0.95");
  EXPECT_EQ(Run(kCmdYGammaUp, settings_.yGamma, 120), "Y-Gamma: 1.25");
  EXPECT_DOUBLE_EQ(GetColourState().params.yGamma, 1.25);
  ExpectFrameProcessorFollows(settings_);
}

TEST_F(SettingCommandsTest, DisplayGammasRebuildTheChannelTablesOnlyInsideTheirBounds) {
  settings_.rGamma = 30;
  playback::RebuildRgb(settings_);
  const std::vector<uint8_t> at30 = ChannelTableA();
  EXPECT_EQ(Run(kCmdRGammaUp), "R-Gamma: 3.0");
  EXPECT_EQ(settings_.rGamma, 30);

  // A table that no rebuild made shows whether the next press rebuilt them.
  settings_.rGamma = 22;
  playback::RebuildRgb(settings_);
  const std::vector<uint8_t> at22 = ChannelTableA();
  EXPECT_EQ(Run(kCmdRGammaUp, settings_.rGamma, 30), "R-Gamma: 3.0");
  EXPECT_EQ(ChannelTableA(), at22) << "cut at the bound: nothing rebuilt";
  EXPECT_EQ(Run(kCmdRGammaUp, settings_.rGamma, 29), "R-Gamma: 3.0");
  EXPECT_EQ(ChannelTableA(), at30);
  EXPECT_EQ(Run(kCmdGGammaDown, settings_.gGamma, 10), "G-Gamma: 1.0");
  EXPECT_EQ(ChannelTableA(), at30);
  EXPECT_EQ(Run(kCmdBGammaDown, settings_.bGamma, 40), "B-Gamma: 3.9")
      << "only the lower bound on the way down";
  EXPECT_EQ(Run(kCmdBGammaUp, settings_.bGamma, 5), "B-Gamma: 0.6") << "only the upper bound on the way up";
  EXPECT_EQ(Run(kCmdGGammaUp, settings_.gGamma, 22), "G-Gamma: 2.3");
  EXPECT_EQ(Run(kCmdRGammaDown, settings_.rGamma, 22), "R-Gamma: 2.1");

  // The frame processor keeps the display gammas it was given at start-up.
  common::Settings startUp;
  ExpectFrameProcessorFollows(startUp);
}

TEST_F(SettingCommandsTest, ResetColourPutsEveryPictureValueBack) {
  settings_.brightness = 140;
  settings_.contrast = 60;
  settings_.saturation = 0;
  settings_.yGamma = 300;
  settings_.cGamma = 5;
  settings_.rGamma = 30;
  settings_.gGamma = 10;
  settings_.bGamma = 17;
  settings_.monBright = 150;
  InitColourFromSettings(settings_);
  InitFrameProcessorFromSettings(frameProcessor_, settings_);
  EXPECT_EQ(Run(kCmdResetColor), "Reset Color");
  for (const SharedInt* value : {&settings_.brightness, &settings_.contrast, &settings_.saturation,
                                 &settings_.yGamma, &settings_.cGamma}) {
    EXPECT_EQ(*value, 100);
  }
  EXPECT_EQ(settings_.rGamma + settings_.gGamma + settings_.bGamma, 66);
  EXPECT_EQ(settings_.monBright, 150) << "not a picture value";
  const color::PictureParams& p = GetColourState().params;
  EXPECT_EQ(p.brightness + p.contrast + p.saturation + p.yGamma + p.cGamma, 5.0);
  const std::vector<uint8_t> tables = ChannelTableA();
  playback::RebuildRgb(settings_);
  EXPECT_EQ(ChannelTableA(), tables);
  ExpectFrameProcessorFollows(settings_);
}

TEST_F(SettingCommandsTest, TransfersCycleThroughTheFourCharacteristics) {
  settings_.rgbType = 0;
  EXPECT_EQ(Run(kCmdSourceTransfer), "RGB Source is Constant Gamma");
  EXPECT_EQ(Run(kCmdSourceTransfer), "RGB Source is Bt.709");
  EXPECT_EQ(Run(kCmdSourceTransfer), "RGB Source is SMPTE 240M (NTSC)");
  EXPECT_EQ(GetColourState().params.source, 3);
  EXPECT_EQ(Run(kCmdSourceTransfer), "RGB Source is sRGB");
  EXPECT_EQ(Run(kCmdSourceTransfer, settings_.rgbType, 7), "RGB Source is sRGB");
  EXPECT_EQ(settings_.rgbType, 0);

  EXPECT_EQ(Run(kCmdOutputTransfer, settings_.rgbType2, 2), "RGB Output is Bt.709");
  EXPECT_EQ(Run(kCmdOutputTransfer), "RGB Output is SMPTE 240M (NTSC)");
  EXPECT_EQ(Run(kCmdOutputTransfer), "RGB Output is sRGB");
  EXPECT_EQ(Run(kCmdOutputTransfer), "RGB Output is Constant Gamma");
  EXPECT_EQ(GetColourState().params.output, 2);
  EXPECT_EQ(Run(kCmdSourceTransfer), "RGB Source is Constant Gamma");
  const std::vector<uint8_t> tables = ChannelTableA();
  playback::RebuildRgb(settings_);
  EXPECT_EQ(ChannelTableA(), tables);
  ExpectFrameProcessorFollows(settings_);
}

TEST_F(SettingCommandsTest, MonitorBrightnessStepsWithinZeroToTwoHundred) {
  EXPECT_EQ(Run(kCmdMonitorBrightnessUp, settings_.monBright, 198), "Monitor Brightness: 200%");
  EXPECT_EQ(GetColourState().monitorBrightnessPercent, 200);
  EXPECT_EQ(Run(kCmdMonitorBrightnessDown, settings_.monBright, 4), "Monitor Brightness: 0%");
  EXPECT_EQ(Run(kCmdMonitorBrightnessDown, settings_.monBright, 100), "Monitor Brightness: 95%");
  ExpectFrameProcessorFollows(settings_);
}

TEST_F(SettingCommandsTest, YcOffsetStaysWithinFiveChromaSamples) {
  for (int i = 0; i < 7; ++i) Run(kCmdYcOffsetUp);
  EXPECT_EQ(settings_.ycOffset, 5);
  EXPECT_EQ(frameProcessor_.YcOffset(), 5);
  EXPECT_EQ(Run(kCmdYcOffsetUp), "Y/C Offset: 5 pixel");
  EXPECT_EQ(Run(kCmdYcOffsetDown, settings_.ycOffset, -4), "Y/C Offset: -5 pixel");
  EXPECT_EQ(Run(kCmdYcOffsetDown), "Y/C Offset: -5 pixel");
  EXPECT_EQ(frameProcessor_.YcOffset(), -5);
}

TEST_F(SettingCommandsTest, DccTogglesWithTheCheckMarkAndStartsOverWhenTurnedOff) {
  EXPECT_EQ(Run(kCmdDcc), "DCC enabled");
  EXPECT_EQ(settings_.enableDcc, 1);
  EXPECT_TRUE(frameProcessor_.DccEnabled());
  GetColourState().tables.lumaHistogram.Set(40, 12345);
  EXPECT_EQ(Run(kCmdDcc), "DCC Disabled");
  EXPECT_EQ(settings_.enableDcc, 0);
  EXPECT_FALSE(frameProcessor_.DccEnabled());
  EXPECT_EQ(GetColourState().tables.lumaHistogram[40], color::kFlatHistogramBin);
  EXPECT_EQ(Run(kCmdDcc, settings_.enableDcc, 5), "DCC Disabled");
  EXPECT_EQ(dccMarks_, (std::vector<bool>{true, false, false}));
}

TEST_F(SettingCommandsTest, SwitchesAndChoices) {
  EXPECT_EQ(Run(kCmdWaitVBlank, settings_.waitVBlank, 1), "Wait for Vertical Blank Disabled");
  EXPECT_EQ(Run(kCmdWaitVBlank), "Wait for Vertical Blank Enabled");
  EXPECT_EQ(settings_.waitVBlank, 1);
  EXPECT_EQ(Run(kCmdOsd, settings_.osdEnable, 1), "") << "turning it off shows nothing";
  EXPECT_EQ(settings_.osdEnable, 0);
  EXPECT_EQ(Run(kCmdOsd), "OSD Enabled");
  EXPECT_EQ(Run(kCmdResizer, settings_.resizeType, 0), "Using Lanczos-3 Resizer");
  EXPECT_EQ(Run(kCmdResizer), "No Resizer");
  EXPECT_EQ(Run(kCmdResizer), "Using DirectDraw Resizer");
  EXPECT_EQ(settings_.resizeType, 0);
  EXPECT_EQ(Run(kCmdResizer, settings_.resizeType, 7), "");
  EXPECT_EQ(settings_.resizeType, 7);
  EXPECT_EQ(Run(kCmdNormalQuality, settings_.hqMode, 2), "Normal Quality Mode");
  EXPECT_EQ(settings_.hqMode, 0);
}

TEST_F(SettingCommandsTest, VolumeStepsInTheMixersRange) {
  mixer_.volume = 65500;
  EXPECT_EQ(Run(kCmdVolumeUp), "Volume increase to 65535");
  EXPECT_EQ(mixer_.volume, 65535u);
  mixer_.volume = 1000;
  EXPECT_EQ(Run(kCmdVolumeUp), "Volume increase to 1100");
  EXPECT_EQ(Run(kCmdVolumeDown), "Volume decrease to 1000");
  mixer_.volume = 60;
  EXPECT_EQ(Run(kCmdVolumeDown), "Volume decrease to 0");
  mixer_.readable = false;
  const int writes = mixer_.writes;
  EXPECT_EQ(Run(kCmdVolumeUp), "");
  EXPECT_EQ(mixer_.writes, writes);
  context_.mixer = nullptr;
  EXPECT_EQ(Run(kCmdVolumeDown), "") << "no mixer: the keys are inert";
}

TEST_F(SettingCommandsTest, YuvSourceSteps) {
  common::Settings neutral;
  playback::RebuildRgb(neutral);
  const std::vector<uint8_t> neutralGammas = ChannelTableA();
  common::Settings user;
  user.rGamma = 30;
  playback::RebuildRgb(user);
  EXPECT_EQ(Run(kCmdYuvSource, settings_.yuvType, 0), "YUV Source is ITU-R BT.709");
  EXPECT_EQ(GetColourState().params.matrix, 1);
  ExpectFrameProcessorFollows(settings_);
  // Until another command rebuilds them, the channel tables have neutral display gammas.
  EXPECT_EQ(ChannelTableA(), neutralGammas);
  playback::RebuildRgb(user);
  EXPECT_EQ(Run(kCmdYuvSource), "YUV Source is SMPTE 240M (1987)");
  EXPECT_EQ(ChannelTableA(), neutralGammas);
  EXPECT_EQ(Run(kCmdYuvSource), "YUV Source is ITU-R BT.601");
  EXPECT_EQ(settings_.yuvType, 0);
  EXPECT_EQ(Run(kCmdYuvSource, settings_.yuvType, 2), "YUV Source is FCC");
  EXPECT_EQ(settings_.yuvType, 2);
  EXPECT_EQ(GetColourState().params.matrix, 2);
  EXPECT_EQ(Run(kCmdYuvSource, settings_.yuvType, 3), "YUV Source is SMPTE 170M");
  EXPECT_EQ(settings_.yuvType, 4);
  EXPECT_EQ(Run(kCmdYuvSource), "") << "4 stays, silently";
  EXPECT_EQ(Run(kCmdYuvSource, settings_.yuvType, 9), "");
  EXPECT_EQ(settings_.yuvType, 9);
}

TEST_F(SettingCommandsTest, AccuracyTestShowsItsFourFiguresInABox) {
  EXPECT_EQ(Run(kCmdTest), "");
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0].second, "Test");
  double maxError = 0, minError = 0, meanAbs = 0, rms = 0;
  ASSERT_EQ(
      std::sscanf(boxes_[0].first.c_str(),
                  "Accuracy of YUV to RGB conversion:\n(All values are assumed that the range is 0 - 1)\n"
                  "Maximum Error per channel = %lf\nMinimum Error per channel = %lf\n"
                  "Average Absolute Error = %lf\nRMS Error = %lf",
                  &maxError, &minError, &meanAbs, &rms),
      4)
      << boxes_[0].first;
  EXPECT_GE(maxError, 0.0);
  EXPECT_LE(minError, 0.0);
  EXPECT_GE(rms, meanAbs) << "the square root of the mean square, not the mean square";
  EXPECT_LT(rms, 0.05);
}

TEST_F(SettingCommandsTest, EngineCommandsAreLeftAlone) {
  for (int command : std::initializer_list<int>{kCmdOpen, kCmdExit, kCmdPlay, kCmdStop, kCmdFullScreen,
                                                kCmdOriginalSize, kCmdSeekForward, kCmdSeekBack,
                                                kCmdResynchronise, kCmdNextChapter, kCmdPreviousChapter,
                                                kCmdAvSyncUp, kCmdAvSyncDown, kCmdDebugDump, 0, 40005}) {
    EXPECT_FALSE(RunSettingCommand(command, context_)) << command;
  }
  EXPECT_TRUE(osd_.messages.empty());
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST(AvSyncMessage, NamesTheStreamDelayWithItsSign) {
  EXPECT_EQ(AvSyncMessage(-15, 0), "AV Sync: -15 ms");
  EXPECT_EQ(AvSyncMessage(10, 120), "AV Sync: 10 ms + 120 ms");
  EXPECT_EQ(AvSyncMessage(10, -40), "AV Sync: 10 ms - 40 ms");
}

}  // namespace
}  // namespace app
