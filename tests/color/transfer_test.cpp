#include "color/transfer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace color {
namespace {

TEST(Transfer, EveryCharacteristicIsOddAndPassesThroughZero) {
  for (TransferCode code : {0, 1, 2, 3, 7, -1}) {
    EXPECT_EQ(ToLinear(code, 0.0), 0.0);
    EXPECT_EQ(FromLinear(code, 0.0), 0.0);
    for (double x : {0.001, 0.01, 0.0228, 0.05, 0.0912, 0.3, 0.5, 1.0, 1.7}) {
      EXPECT_DOUBLE_EQ(ToLinear(code, -x), -ToLinear(code, x)) << code << " " << x;
      EXPECT_DOUBLE_EQ(FromLinear(code, -x), -FromLinear(code, x)) << code << " " << x;
    }
  }
}

TEST(Transfer, CharacteristicsInvertEachOther) {
  for (TransferCode code : {0, 1, 2, 3}) {
    for (double x : {-0.8, -0.03, 0.002, 0.02, 0.1, 0.5, 0.99}) {
      EXPECT_NEAR(FromLinear(code, ToLinear(code, x)), x, 1e-3) << code << " " << x;
    }
  }
}

TEST(Transfer, SrgbThresholds) {
  const double power = std::pow((0.040449936 + 0.055) / 1.055, 2.4);
  EXPECT_DOUBLE_EQ(ToLinear(kTransferSrgb, 0.040449936), power);
  EXPECT_DOUBLE_EQ(ToLinear(kTransferSrgb, 0.04), 0.04 / 12.92);
  EXPECT_DOUBLE_EQ(FromLinear(kTransferSrgb, 0.0031308), 12.92 * 0.0031308);
  EXPECT_DOUBLE_EQ(ToLinear(9, 0.5), ToLinear(kTransferSrgb, 0.5));  // Unknown codes are sRGB.
}

TEST(Transfer, Bt709Thresholds) {
  EXPECT_DOUBLE_EQ(ToLinear(kTransferBt709, 0.08), 0.08 / 4.5);
  EXPECT_DOUBLE_EQ(ToLinear(kTransferBt709, 0.081), std::pow((0.081 + 0.099) / 1.099, 1 / 0.45));
  EXPECT_DOUBLE_EQ(FromLinear(kTransferBt709, 0.018), 0.081);
}

TEST(Transfer, Smpte240MThresholds) {
  EXPECT_DOUBLE_EQ(FromLinear(kTransferSmpte240M, 0.0228), 0.0912);
  EXPECT_DOUBLE_EQ(ToLinear(kTransferSmpte240M, 0.0912), std::pow((0.0912 + 0.1115) / 1.1115, 1 / 0.45));
  EXPECT_NEAR(ToLinear(kTransferSmpte240M, 0.0912), 0.0228, 1e-4);
}

TEST(Transfer, ConstantGamma) {
  EXPECT_DOUBLE_EQ(ToLinear(kTransferConstantGamma, 0.5), std::pow(0.5, 2.2));
  EXPECT_DOUBLE_EQ(FromLinear(kTransferConstantGamma, -0.25), -std::pow(0.25, 1 / 2.2));
}

}  // namespace
}  // namespace color
