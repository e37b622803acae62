#include "tonegrid/calibration_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "tonegrid/test_application.h"

namespace tonegrid {
namespace {

// Each test gets its own settings folder so that no cached file from another test is seen.
class CalibrationSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
  }
  void TearDown() override {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, test::ConfigHome());
  }

  QString FilePath() const { return dir_.path() + "/vkdo/VSTL.conf"; }

  void WriteFile(const QByteArray& text) const {
    ASSERT_TRUE(QDir().mkpath(dir_.path() + "/vkdo"));
    QFile file(FilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }

  QByteArray ReadFile() const {
    QFile file(FilePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  static QSettings Player() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "vkdo", "VSTL");
  }

  QTemporaryDir dir_;
};

TEST(CalibrationSettingsLocation, IsThePlayersFileUnderXdgConfigHome) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "vkdo", "VSTL");
  EXPECT_EQ(settings.fileName(), test::ConfigHome() + "/vkdo/VSTL.conf");
}

TEST_F(CalibrationSettingsTest, NothingStoredGivesDefaultsAndStoresHundredAndZero) {
  CalibrationState state;
  state.channels[kGreen].gamma = 3.0;
  state.transferType = 2;
  {
    QSettings settings = Player();
    LoadCalibration(settings, state);
  }
  for (const ChannelCalibration& ch : state.channels) {
    EXPECT_EQ(ch.black, 1.0);
    EXPECT_EQ(ch.contrast, 1.0);
    EXPECT_EQ(ch.gamma, 1.0);
  }
  EXPECT_EQ(state.transferType, 0);
  {
    QSettings settings = Player();
    ASSERT_TRUE(SaveCalibration(settings, state));
  }
  const QByteArray text = ReadFile();
  for (const char* key : {"MonRG", "MonGG", "MonBG", "MonRB", "MonGB", "MonBB", "MonRC", "MonGC", "MonBC"}) {
    EXPECT_TRUE(text.contains(QByteArray(key) + "=100\n")) << key << " in\n" << text.constData();
  }
  EXPECT_TRUE(text.contains("RGBType2=0\n")) << text.constData();
}

TEST_F(CalibrationSettingsTest, ReadsStoredHundredthsPerChannel) {
  WriteFile(
      "[General]\nMonRG=120\nMonGG=80\nMonBG=-20\nMonRB=97\nMonGB=105\nMonBB=100\n"
      "MonRC=50\nMonGC=150\nMonBC=0\nRGBType2=3\n");
  CalibrationState state;
  QSettings settings = Player();
  LoadCalibration(settings, state);
  EXPECT_DOUBLE_EQ(state.channels[kRed].gamma, 1.2);
  EXPECT_DOUBLE_EQ(state.channels[kGreen].gamma, 0.8);
  EXPECT_DOUBLE_EQ(state.channels[kBlue].gamma, -0.2);
  EXPECT_DOUBLE_EQ(state.channels[kRed].black, 0.97);
  EXPECT_DOUBLE_EQ(state.channels[kGreen].black, 1.05);
  EXPECT_DOUBLE_EQ(state.channels[kRed].contrast, 0.5);
  EXPECT_DOUBLE_EQ(state.channels[kGreen].contrast, 1.5);
  EXPECT_DOUBLE_EQ(state.channels[kBlue].contrast, 0.0);
  EXPECT_EQ(state.transferType, 3);
}

TEST_F(CalibrationSettingsTest, NonIntegerValuesReadAsMissing) {
  WriteFile("[General]\nMonRB=abc\nMonGB=97.5\nMonBB=\nMonRC=99999999999\nRGBType2=sRGB\n");
  CalibrationState state;
  state.transferType = 1;
  QSettings settings = Player();
  LoadCalibration(settings, state);
  EXPECT_EQ(state.channels[kRed].black, 1.0);
  EXPECT_EQ(state.channels[kGreen].black, 1.0);
  EXPECT_EQ(state.channels[kBlue].black, 1.0);
  EXPECT_EQ(state.channels[kRed].contrast, 1.0);
  EXPECT_EQ(state.transferType, 0);
}

TEST_F(CalibrationSettingsTest, SavingKeepsThePlayersOwnKeys) {
  WriteFile("[General]\nBrightness=120\nHQMode=2\nMonRB=90\n[Elsewhere]\nKey=7\n");
  CalibrationState state;
  state.channels[kRed].black = 0.95;
  {
    QSettings settings = Player();
    ASSERT_TRUE(SaveCalibration(settings, state));
  }
  QSettings settings = Player();
  EXPECT_EQ(settings.value("Brightness").toInt(), 120);
  EXPECT_EQ(settings.value("HQMode").toInt(), 2);
  EXPECT_EQ(settings.value("Elsewhere/Key").toInt(), 7);
  EXPECT_EQ(settings.value("MonRB").toInt(), 95);
}

TEST_F(CalibrationSettingsTest, UnwritableFileIsReported) {
  // A plain file where the vkdo folder should be: nobody, not even root, can create the file.
  QFile blocker(dir_.path() + "/vkdo");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  CalibrationState state;
  state.channels[kRed].black = 0.97;
  QSettings settings = Player();
  EXPECT_FALSE(SaveCalibration(settings, state));

  const auto texts = UnsavedCalibrationTexts(state);
  EXPECT_EQ(texts[0], "Red: B=0.970000, C=1.000000, G=1.000000");
  EXPECT_EQ(texts[1], "Green: B=1.000000, C=1.000000, G=1.000000");
  EXPECT_EQ(texts[2], "Blue: B=1.000000, C=1.000000, G=1.000000");
}

TEST(StoredHundredths, ReadingAndWritingBackKeepsEveryValue) {
  // n / 100 * 100 is just below n for values such as 29; a plain truncation would lose one.
  for (int n = -1000; n <= 1000; ++n) EXPECT_EQ(StoredHundredths(n / 100.0), n) << n;
}

TEST(StoredHundredths, TruncatesTowardZero) {
  EXPECT_EQ(StoredHundredths(0.979), 97);
  EXPECT_EQ(StoredHundredths(-0.979), -97);
  EXPECT_EQ(StoredHundredths(1e300), std::numeric_limits<int>::max());
  EXPECT_EQ(StoredHundredths(-1e300), std::numeric_limits<int>::min());
}

}  // namespace
}  // namespace tonegrid
