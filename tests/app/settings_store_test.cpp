#include "app/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "platform/settings/settings_key.h"
#include "platform/system/system.h"
#include "temp_config_home.h"

namespace app {
namespace {

using testing::ReadSettingsFile;
using testing::RemoveSettingsFile;
using testing::WriteSettingsFile;

// The keys of the store's file, in file order.
std::vector<std::string> Keys(const std::string& text) {
  std::vector<std::string> keys;
  const std::regex line("^([A-Za-z0-9]+)=", std::regex::multiline);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) {
    keys.push_back((*it)[1]);
  }
  std::sort(keys.begin(), keys.end());
  return keys;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { RemoveSettingsFile(); }
  void TearDown() override {
    platform::system::SetProcessPriorityClass(platform::system::kNormalPriorityClass);
  }
};

TEST_F(SettingsStoreTest, NoStoreMeansDefaultsAndExitWritesNineteenValuesAndPriority) {
  common::Settings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings.saturation, 100);
  EXPECT_EQ(settings.rGamma, 22);
  EXPECT_EQ(settings.rgbType2, 2);
  EXPECT_EQ(settings.waitVBlank, 1);
  EXPECT_EQ(settings.ntap, 6);
  EXPECT_EQ(settings.forceWidth, -1);
  ASSERT_TRUE(SaveSettings(settings));
  const std::vector<std::string> expected = {
      "AVSync", "BGamma",     "Brightness", "CGamma",     "Contrast",  "EnableDCC", "GGamma",
      "HQMode", "MonBright",  "OSDEnable",  "Priority",   "RGBCSType", "RGBType",   "RGBType2",
      "RGamma", "ResizeType", "Saturation", "WaitVBlank", "YGamma",    "YUVType"};
  EXPECT_EQ(Keys(ReadSettingsFile()), expected);
  // The class in force at exit: normal, unless the test itself was started niced.
  const std::string priority =
      "Priority=" + std::to_string(platform::system::GetProcessPriorityClass()) + "\n";
  EXPECT_NE(ReadSettingsFile().find(priority), std::string::npos);
}

TEST_F(SettingsStoreTest, SavedValuesComeBack) {
  common::Settings settings;
  settings.brightness = 135;
  settings.avSync = -40;
  settings.yuvType = 5;
  settings.hqMode = 2;
  ASSERT_TRUE(SaveSettings(settings));
  common::Settings loaded;
  LoadSettings(loaded);
  EXPECT_EQ(loaded.brightness, 135);
  EXPECT_EQ(loaded.avSync, -40);
  EXPECT_EQ(loaded.yuvType, 5);
  EXPECT_EQ(loaded.hqMode, 2);
}

TEST_F(SettingsStoreTest, NtapBelowOneBecomesSixAndOthersStay) {
  for (const auto& [stored, expected] : std::vector<std::pair<int, int>>{{0, 6}, {-3, 6}, {7, 7}, {1, 1}}) {
    // Each file differs in size too: the store notices a rewrite within one clock tick by that.
    WriteSettingsFile("[General]\nNTAP=" + std::to_string(stored) +
                      "\nPad=" + std::string(expected + stored + 8, 'x') + "\n");
    common::Settings settings;
    LoadSettings(settings);
    EXPECT_EQ(settings.ntap, expected) << stored;
  }
}

TEST_F(SettingsStoreTest, NonIntegerAndOutOfRangeValuesReadAsMissing) {
  WriteSettingsFile("[General]\nBrightness=bright\nContrast=1.5\nSaturation=99999999999\nYGamma= 120 \n");
  common::Settings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings.brightness, 100);
  EXPECT_EQ(settings.contrast, 100);
  EXPECT_EQ(settings.saturation, 100);
  EXPECT_EQ(settings.yGamma, 120);
}

TEST_F(SettingsStoreTest, ReadOnlyValuesAndOtherProgramsKeysSurviveASave) {
  WriteSettingsFile("[General]\nMonRG=87\nNTAP=4\nForceWidth=1280\nSomeoneElse=5\n[Other]\nKeep=1\n");
  common::Settings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings.monRG, 87);
  settings.monRG = 100;  // Even a changed value the player only reads is never written.
  settings.saturation = 120;
  ASSERT_TRUE(SaveSettings(settings));
  const std::string text = ReadSettingsFile();
  EXPECT_NE(text.find("MonRG=87"), std::string::npos);
  EXPECT_NE(text.find("NTAP=4"), std::string::npos);
  EXPECT_NE(text.find("ForceWidth=1280"), std::string::npos);
  EXPECT_NE(text.find("SomeoneElse=5"), std::string::npos);
  EXPECT_NE(text.find("Keep=1"), std::string::npos);
  EXPECT_NE(text.find("Saturation=120"), std::string::npos);
  EXPECT_EQ(text.find("MonGG"), std::string::npos);
  EXPECT_EQ(text.find("UseWaveOut"), std::string::npos);
}

TEST_F(SettingsStoreTest, StoredPriorityClassIsAppliedAndWrittenBack) {
  WriteSettingsFile("[General]\nPriority=128\n");
  common::Settings settings;
  LoadSettings(settings);
  EXPECT_EQ(settings.priority, 128);
  // Raising needs privileges the test may not have; where it is refused the class stays.
  if (platform::system::GetProcessPriorityClass() != platform::system::kHighPriorityClass) {
    GTEST_SKIP() << "raising the process priority is not permitted here";
  }
  ASSERT_TRUE(SaveSettings(settings));
  EXPECT_NE(ReadSettingsFile().find("Priority=128\n"), std::string::npos);
}

}  // namespace
}  // namespace app
