#include "common/mul_div.h"

#include <gtest/gtest.h>

#include <limits>

namespace common {
namespace {

TEST(MulDiv, RoundsToNearestWithHalvesAwayFromZero) {
  EXPECT_EQ(MulDiv(10, 1, 3), 3);   // 3.33
  EXPECT_EQ(MulDiv(10, 2, 3), 7);   // 6.67
  EXPECT_EQ(MulDiv(5, 1, 2), 3);    // 2.5 → 3
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);  // −2.5 → −3
  EXPECT_EQ(MulDiv(5, -1, 2), -3);
  EXPECT_EQ(MulDiv(5, 1, -2), -3);
  EXPECT_EQ(MulDiv(-5, -1, -2), -3);
  EXPECT_EQ(MulDiv(-5, -1, 2), 3);
  EXPECT_EQ(MulDiv(7, 1, 4), 2);  // 1.75
  EXPECT_EQ(MulDiv(0, 123, 7), 0);
}

TEST(MulDiv, BandStartsSplitRowsEvenly) {
  // Ten rows over three workers start at 0, 3 and 7.
  EXPECT_EQ(MulDiv(10, 0, 3), 0);
  EXPECT_EQ(MulDiv(10, 1, 3), 3);
  EXPECT_EQ(MulDiv(10, 2, 3), 7);
  EXPECT_EQ(MulDiv(3, 10, 3), 10);
}

TEST(MulDiv, UsesA64BitIntermediate) {
  EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
  EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::min(), 1, 1), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::max(), 1, 1), std::numeric_limits<int32_t>::max());
}

TEST(MulDiv, ReportsMinusOneForZeroDivisorAndOverflow) {
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(2000000000, 2, 1), -1);
  EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::min(), -1, 1), -1);
  EXPECT_EQ(MulDiv(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(), 1), -1);
}

}  // namespace
}  // namespace common
