#include "tonegrid/pattern_painter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "tonegrid/calibrated_value.h"
#include "tonegrid/overlay_line.h"

namespace tonegrid {
namespace {

struct Bgrx {
  int blue, green, red, fourth;
};

Bgrx PixelAt(const QImage& image, int x, int y) {
  const uchar* p = image.constScanLine(y) + 4 * x;
  return {p[0], p[1], p[2], p[3]};
}

QImage Draw(int pattern, CalibrationState state = {}, int width = 1366, int height = 768) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::black);
  state.pattern = pattern;
  DrawPattern(image, state);
  return image;
}

CalibrationState AllChannels(double black, double contrast, double gamma) {
  CalibrationState state;
  state.channels.fill(ChannelCalibration{black, contrast, gamma});
  return state;
}

TEST(Patterns, FullFieldsArePureAtNeutralCalibration) {
  const QImage red = Draw(0);
  for (auto [x, y] : {std::pair{0, 0}, {683, 384}, {1365, 767}}) {
    const Bgrx p = PixelAt(red, x, y);
    EXPECT_EQ(p.red, 255);
    EXPECT_EQ(p.green, 0);
    EXPECT_EQ(p.blue, 0);
    EXPECT_EQ(p.fourth, 0xff);
  }
  EXPECT_EQ(Draw(1).pixel(10, 10), qRgb(0, 255, 0));
  EXPECT_EQ(Draw(2).pixel(10, 10), qRgb(0, 0, 255));
  EXPECT_EQ(Draw(3).pixel(10, 10), qRgb(0, 0, 0));
  EXPECT_EQ(Draw(4).pixel(10, 10), qRgb(255, 255, 255));
}

TEST(Patterns, GrayScaleGridCellsCarryTheirLevelExactly) {
  const int w = 1366, h = 768;
  const QImage image = Draw(8);
  for (int row = 0; row < 16; ++row) {
    for (int col = 0; col < 16; ++col) {
      const int level = 16 * row + col;
      // First and last pixel of each cell.
      EXPECT_EQ(image.pixel(w * col / 16, h * row / 16), qRgb(level, level, level)) << level;
      EXPECT_EQ(image.pixel(w * (col + 1) / 16 - 1, h * (row + 1) / 16 - 1), qRgb(level, level, level));
    }
  }
}

TEST(Patterns, ColumnBoundariesDivideWithIntegers) {
  const QImage image = Draw(9);  // Red (0-15)
  auto redAt = [&](int x) { return qRed(image.pixel(x, 400)); };
  EXPECT_EQ(redAt(84), 0);
  EXPECT_EQ(redAt(85), 1);
  EXPECT_EQ(redAt(169), 1);
  EXPECT_EQ(redAt(170), 2);
  EXPECT_EQ(redAt(255), 2);
  EXPECT_EQ(redAt(256), 3);
  EXPECT_EQ(redAt(1365), 15);
  EXPECT_EQ(qGreen(image.pixel(256, 400)), 0);
}

TEST(Patterns, NearWhiteColumnsShowSixteenDistinctLevels) {
  const QImage image = Draw(13);  // Red (240-255)
  std::set<int> levels;
  for (int col = 0; col < 16; ++col) levels.insert(qRed(image.pixel(1366 * col / 16, 500)));
  EXPECT_EQ(levels.size(), 16u);
  EXPECT_EQ(*levels.begin(), 240);
  EXPECT_EQ(*levels.rbegin(), 255);
}

TEST(Patterns, BlackLevelLiftsAndContrastScales) {
  const QImage lifted = Draw(5, AllChannels(1.05, 1.0, 1.0));  // Red (0-255)
  EXPECT_EQ(lifted.pixel(0, 0), qRgb(12, 12, 12));             // level 0: 0.05 * 255 = 12.75
  EXPECT_EQ(lifted.pixel(1365, 767), qRgb(255, 12, 12));       // level 255 clamps
  EXPECT_EQ(Draw(4, AllChannels(1.0, 0.5, 1.0)).pixel(5, 5), qRgb(127, 127, 127));
}

TEST(Patterns, GammaCheckRowsCarryComplementaryLevels) {
  // With W = 1001 column 50 sits at t = 0.5 and column 25 at t = 0.25.
  const QImage image = Draw(20, CalibrationState{}, 1001, 9);
  EXPECT_EQ(image.pixel(50, 0), qRgb(187, 187, 187));
  EXPECT_EQ(image.pixel(50, 1), qRgb(187, 187, 187));
  EXPECT_EQ(image.pixel(25, 2), qRgb(136, 136, 136));
  EXPECT_EQ(image.pixel(25, 3), qRgb(224, 224, 224));
  // t = 0 on even rows, 1 on odd rows; the sRGB encode of 1 is 1.055 - 0.055, just below 1,
  // which truncates to 254.
  EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(0, 1), qRgb(254, 254, 254));
  EXPECT_EQ(image.pixel(100, 0), qRgb(254, 254, 254));  // the wave's first peak
  EXPECT_EQ(image.pixel(200, 0), qRgb(0, 0, 0));        // and its first trough
  EXPECT_EQ(image.pixel(50, 8), qRgb(0, 0, 0));         // odd height: the last row is not drawn
}

TEST(Patterns, GammaCheckAppliesTestScalesAndTransfer) {
  CalibrationState state;
  state.testScales = {0.5, 1.0, -1.0};
  state.transferType = 2;
  const QImage image = Draw(20, state, 1001, 2);
  const double a = std::pow(0.5, 1.0 / 2.2);
  EXPECT_EQ(qRed(image.pixel(50, 0)), static_cast<int>(a * 0.5 * 255));
  EXPECT_EQ(qGreen(image.pixel(50, 0)), static_cast<int>(a * 255));
  EXPECT_EQ(qBlue(image.pixel(50, 0)), 0);  // negative light gives 0

  const QImage narrow = Draw(20, CalibrationState{}, 1, 2);  // one column: t = 0, no division by 0
  EXPECT_EQ(narrow.pixel(0, 1), qRgb(254, 254, 254));
}

TEST(Patterns, LinesAndDotsAlternateFullWhiteAndBlack) {
  const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
  for (int width : {6, 7}) {
    const QImage horizontal = Draw(17, AllChannels(0.5, 0.5, 2.0), width, 4);  // uncalibrated
    const QImage vertical = Draw(18, {}, width, 4);
    const QImage dots = Draw(19, {}, width, 4);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < width; ++x) {
        EXPECT_EQ(horizontal.pixel(x, y), y % 2 == 0 ? white : black);
        EXPECT_EQ(vertical.pixel(x, y), (y * width + x) % 2 == 0 ? white : black) << width;
        EXPECT_EQ(dots.pixel(x, y), (y * width + x + y) % 2 == 0 ? white : black) << width;
      }
    }
  }
  // An even width gives straight lines and a checkerboard.
  const QImage dots = Draw(19, {}, 6, 4);
  EXPECT_EQ(dots.pixel(1, 1), white);
  EXPECT_EQ(dots.pixel(2, 1), black);
}

TEST(CalibratedValue, OutOfRangeResultsAreLimited) {
  EXPECT_EQ(CalibratedValue({1.0, -1.0, 1.0}, 0.5), 0);
  EXPECT_EQ(CalibratedValue({1.0, 3.0, 1.0}, 0.5), 255);
  EXPECT_EQ(CalibratedValue({1.0, 1.0, 1.5}, -0.5), 0);    // not a number
  EXPECT_EQ(CalibratedValue({1.0, 0.0, -1.0}, 0.0), 0);    // infinity times zero
  EXPECT_EQ(CalibratedValue({1.0, 1.0, -1.0}, 0.0), 255);  // infinity
}

// The player's output byte for an encoded value e (after its own transfer), computed here from
// its formula: (e^(gc / 2.2 * G) * C + B - 1) * 255, rounded half up.
int PlayerOutputByte(double e, const ChannelCalibration& ch, double channelGamma = 2.2) {
  if (e < 0) return 0;
  const double t = (std::pow(e, channelGamma / 2.2 * ch.gamma) * ch.contrast + ch.black - 1.0) * 255.0;
  if (t < 0) return 0;
  if (t > 255) return 255;
  return static_cast<int>(t) + (static_cast<int>(2 * t) % 2);
}

// The player's output encode, written out from its transfer definitions.
double PlayerEncode(int type, double x) {
  const double a = std::fabs(x);
  double e;
  if (type == 1) {
    e = a <= 0.018 ? 4.5 * a : 1.099 * std::pow(a, 0.45) - 0.099;
  } else if (type == 2) {
    e = std::pow(a, 0.45454545454545453);
  } else if (type == 3) {
    e = a <= 0.0228 ? 4.0 * a : 1.1115 * std::pow(a, 0.45) - 0.1115;
  } else {
    e = a <= 0.0031308 ? 12.92 * a : 1.055 * std::pow(a, 1 / 2.4) - 0.055;
  }
  return std::copysign(e, x);
}

TEST(PlayerAgreement, CalibratedValueIsThePlayersOutputTruncated) {
  int roundedUp = 0;
  for (double gamma : {0.8, 1.0, 1.25, 2.0}) {
    for (double contrast : {0.9, 1.0, 1.1}) {
      for (double black : {0.95, 1.0, 1.05}) {
        const ChannelCalibration ch{black, contrast, gamma};
        for (int k = 0; k <= 1000; ++k) {
          const double e = k / 1000.0;
          const int ours = CalibratedValue(ch, e);
          const int player = PlayerOutputByte(e, ch);
          ASSERT_TRUE(player == ours || player == ours + 1)
              << "e=" << e << " G=" << gamma << " C=" << contrast << " B=" << black;
          roundedUp += player - ours;
        }
      }
    }
  }
  EXPECT_GT(roundedUp, 0);  // the two really differ by rounding, not by the curve
}

TEST(PlayerAgreement, EncodeMatchesThePlayersTransfers) {
  for (int type : {0, 1, 2, 3}) {
    for (double x : {-0.5, -0.01, 0.0, 0.001, 0.01, 0.02, 0.05, 0.18, 0.5, 1.0}) {
      EXPECT_DOUBLE_EQ(EncodeTransfer(type, x), PlayerEncode(type, x)) << type << " " << x;
    }
  }
  EXPECT_EQ(EncodeTransfer(7, 0.5), EncodeTransfer(0, 0.5));
  EXPECT_EQ(EncodeTransfer(-1, 0.5), EncodeTransfer(0, 0.5));
}

TEST(Overlay, TextNamesPatternTransferAndEveryValue) {
  CalibrationState state;
  state.pattern = 20;
  state.transferType = 3;
  state.channels[kRed] = {0.97, 1.1, 0.9};
  state.channels[kBlue].gamma = -0.004;
  state.testScales[kGreen] = 1.5;
  EXPECT_EQ(OverlayText(state),
            "Gamma Check (Same color = correct gamma): RGB: SMPTE 240M (NTSC), R:0.97,1.10,0.90,1.00, "
            "G:1.00,1.00,1.00,1.50, B:1.00,1.00,-0.00,1.00");
  state.transferType = 5;
  EXPECT_TRUE(OverlayText(state).contains("RGB: Unknown,"));
}

TEST(Overlay, PureGreenOnBlackAcrossTheTextsOwnWidth) {
  QImage image(1366, 40, QImage::Format_RGB32);
  CalibrationState state;  // Red
  DrawCurrentPattern(image, state);

  int textWidth = 0;
  while (textWidth < image.width() && image.pixel(textWidth, 0) != qRgb(255, 0, 0)) ++textWidth;
  EXPECT_GT(textWidth, 100);
  EXPECT_LT(textWidth, image.width());
  int lit = 0;
  for (int y = 0; y < kOverlayHeight; ++y) {
    for (int x = 0; x < textWidth; ++x) {
      const Bgrx p = PixelAt(image, x, y);
      ASSERT_EQ(p.red, 0) << x << "," << y;
      ASSERT_EQ(p.blue, 0) << x << "," << y;
      if (p.green == 255) ++lit;
    }
    EXPECT_EQ(image.pixel(textWidth, y), qRgb(255, 0, 0));  // the pattern beside the text
  }
  EXPECT_GT(lit, 50);
  for (int x = 0; x < image.width(); ++x) ASSERT_EQ(image.pixel(x, kOverlayHeight), qRgb(255, 0, 0));
}

TEST(Overlay, ClippedToSmallScreens) {
  QImage image(40, 10, QImage::Format_RGB32);
  CalibrationState state;
  DrawCurrentPattern(image, state);  // wider and taller than the screen: no write outside it
  EXPECT_EQ(qRed(image.pixel(39, 9)), 0);
}

}  // namespace
}  // namespace tonegrid
