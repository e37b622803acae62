#include "color/picture_model.h"

#include <gtest/gtest.h>

namespace color {
namespace {

PictureParams Neutral(YuvMatrixCode matrix, TransferCode transfer) {
  PictureParams p;
  p.matrix = matrix;
  p.source = transfer;
  p.output = transfer;
  return p;
}

TEST(PictureModel, NeutralSettingsExpandVideoRangeToFullRange) {
  const PictureParams p = Neutral(4, kTransferSrgb);
  EXPECT_EQ(EvaluatePictureModel(p, 16, 128, 128), (Rgb8{0, 0, 0}));
  EXPECT_EQ(EvaluatePictureModel(p, 235, 128, 128), (Rgb8{255, 255, 255}));
  EXPECT_EQ(EvaluatePictureModel(p, 126, 128, 128), (Rgb8{128, 128, 128}));
}

TEST(PictureModel, LumaClampsBeforeAnyGain) {
  PictureParams p = Neutral(4, kTransferSrgb);
  EXPECT_EQ(EvaluatePictureModel(p, 10, 128, 128), (Rgb8{0, 0, 0}));
  EXPECT_EQ(EvaluatePictureModel(p, 250, 128, 128), (Rgb8{255, 255, 255}));
  p.contrast = 0.5;
  EXPECT_EQ(EvaluatePictureModel(p, 250, 128, 128), EvaluatePictureModel(p, 235, 128, 128));
}

TEST(PictureModel, MonitorLevelLiftsOnlyItsChannel) {
  PictureParams p = Neutral(4, kTransferSrgb);
  p.monitorLevel[0] = 1.10;
  EXPECT_EQ(EvaluatePictureModel(p, 16, 128, 128), (Rgb8{26, 0, 0}));
}

TEST(PictureModel, BelowBlackShowsTheCalibratedBlack) {
  PictureParams p = Neutral(4, kTransferSrgb);
  p.monitorLevel[0] = 1.10;
  p.brightness = 0.9;  // every channel at −0.1
  EXPECT_EQ(EvaluatePictureModel(p, 16, 128, 128), (Rgb8{26, 0, 0}));
  p.displayGamma[0] = 2.5;  // no real power of a negative value
  EXPECT_EQ(EvaluatePictureModel(p, 16, 128, 128), (Rgb8{26, 0, 0}));
}

TEST(PictureModel, Bt601KeepsItsOwnCoefficients) {
  const Rgb8 code0 = EvaluatePictureModel(Neutral(0, kTransferSrgb), 16, 16, 16);
  const Rgb8 code4 = EvaluatePictureModel(Neutral(4, kTransferSrgb), 16, 16, 16);
  EXPECT_NE(code0[1], code4[1]);
}

TEST(PictureModel, ChromaExtremesAreHalfAndSignKept) {
  const PictureParams p = Neutral(4, kTransferSrgb);
  const auto up = MatrixRgb(p, 126, 128, 240);
  const auto down = MatrixRgb(p, 126, 128, 16);
  const double luma = 110.0 / 219.0;
  EXPECT_NEAR(up[0] - luma, GetChromaCoefficients(4).crR * 0.5, 1e-12);
  EXPECT_NEAR(down[0] - luma, -GetChromaCoefficients(4).crR * 0.5, 1e-12);
}

TEST(PictureModel, RgbWithNoRealPowerGivesZero) {
  PictureParams p = Neutral(4, kTransferSrgb);
  p.displayGamma = {2.3, 2.2, 2.2};  // A fractional exponent on a negative value.
  p.brightness = 0.9;
  EXPECT_EQ(EvaluatePictureModel(p, 16, 128, 128)[0], 0);
}

TEST(PictureModel, RoundsHalvesUpAndClamps) {
  EXPECT_EQ(RoundToByte(25.5), 26);
  EXPECT_EQ(RoundToByte(25.49), 25);
  EXPECT_EQ(RoundToByte(-0.1), 0);
  EXPECT_EQ(RoundToByte(300), 255);
}

}  // namespace
}  // namespace color
