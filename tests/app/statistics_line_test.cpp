#include "app/statistics_line.h"

#include <gtest/gtest.h>

namespace app {
namespace {

TEST(StatisticsLine, TimeCodeThenTheFigures) {
  playback::StatisticsFigures f;
  f.stampMs = 3723456;  // 1 h 2 min 3.456 s
  f.fps = 29.97;
  f.userLoad = 12.4;
  f.kernelLoad = 3.6;
  f.ready = 3;
  f.busy = 1;
  f.presentationDelay = 16;
  f.copyMs = 1;
  f.conversionMs = 12;
  f.scalingMs = 4;
  f.frameProcessorMs = 0;
  f.decodeMs = 7;
  f.readMs = 123;
  EXPECT_EQ(
      StatisticsLine(f),
      "01:02:03:45 29.97 fps, Usr 12%, Krnl: 4%, PBuff: 3, DBuff: 1, PDelay: 16, Delays: 01, 12, 04. 00, 07, "
      "123");
}

TEST(StatisticsLine, TimeCodeEdges) {
  playback::StatisticsFigures f;
  EXPECT_EQ(StatisticsLine(f).substr(0, 12), "00:00:00:00 ");
  f.stampMs = 99 * 3600000 + 59 * 60000 + 59999;
  EXPECT_EQ(StatisticsLine(f).substr(0, 12), "99:59:59:99 ");
  f.stampMs = 9;
  EXPECT_EQ(StatisticsLine(f).substr(0, 12), "00:00:00:00 ");
  f.stampMs = 10;
  EXPECT_EQ(StatisticsLine(f).substr(0, 12), "00:00:00:01 ");
}

}  // namespace
}  // namespace app
