#include <gtest/gtest.h>

#include "avi/chapter_table.h"
#include "playback/chapters.h"
#include "playback/display_modes.h"
#include "playback/frame_timing.h"

namespace playback {
namespace {

TEST(FrameTiming, DueFramesAndStamps) {
  const FrameTiming pal{25, 1, false};
  EXPECT_EQ(FrameDue(0, pal), 0);
  EXPECT_EQ(FrameDue(39, pal), 0);
  EXPECT_EQ(FrameDue(40, pal), 1);
  EXPECT_EQ(FrameStamp(250, pal), 10000);
  // NTSC stamps round to the nearest millisecond.
  const FrameTiming ntsc{30000, 1001, false};
  EXPECT_EQ(FrameStamp(1, ntsc), 33);
  EXPECT_EQ(FrameStamp(2, ntsc), 67);
  EXPECT_EQ(FrameDue(1001, ntsc), 30);
  // Field pictures come two a frame.
  const FrameTiming fields{25, 1, true};
  EXPECT_EQ(FrameDue(40, fields), 2);
  EXPECT_EQ(FrameStamp(3, fields), 60);
  // A stream without a rate shows its first frame rather than dividing by zero.
  EXPECT_EQ(FrameDue(5000, FrameTiming{0, 1, false}), 0);
  EXPECT_EQ(FrameStamp(7, FrameTiming{25, 0, false}), 0);
}

TEST(FrameTiming, DecoderWorksAheadCatchesUpAndGoesBackOnlyOnALargeJump) {
  // Ahead of the clock: the frame after the last one decoded.
  EXPECT_EQ(NextFrameToDecode(4, 4, 160, 150), 5);
  EXPECT_EQ(NextFrameToDecode(4, 6, 170, 160), 7);
  // Behind: straight to the frame due now; the ones between are never shown.
  EXPECT_EQ(NextFrameToDecode(12, 6, 480, 200), 12);
  // A backward jump of three frames or more decodes from the new time...
  EXPECT_EQ(NextFrameToDecode(3, 6, 120, 260), 3);
  // ...a smaller one, or time that only stood still, keeps going forward.
  EXPECT_EQ(NextFrameToDecode(4, 6, 160, 260), 7);
  EXPECT_EQ(NextFrameToDecode(3, 6, 260, 260), 7);
}

avi::ChapterTable ThreeChapters() {
  // Count, then entries of frame number and title offset, then the titles.
  const uint8_t body[] = {3, 0, 0, 0,   0, 0, 0, 0,  28, 0, 0, 0,   100, 0,   0, 0,   30,
                          0, 0, 0, 175, 0, 0, 0, 32, 0,  0, 0, 'A', 0,   'B', 0, 'C', 0};
  return *avi::ChapterTable::FromChunk(body, sizeof body);
}

TEST(Chapters, NextAndPreviousFromTheCurrentFrame) {
  const avi::ChapterTable table = ThreeChapters();
  EXPECT_EQ(NextChapter(table, 0), 1u);
  EXPECT_EQ(NextChapter(table, 100), 2u);
  EXPECT_EQ(NextChapter(table, 175), std::nullopt);
  // The chapter before the one in progress: none inside the first.
  EXPECT_EQ(PreviousChapter(table, 50), std::nullopt);
  EXPECT_EQ(PreviousChapter(table, 120), 0u);
  EXPECT_EQ(PreviousChapter(table, 200), 1u);
  const FrameTiming pal{25, 1, false};
  EXPECT_EQ(ChapterStartMs(table, 1, pal), 4000u);
  EXPECT_EQ(CurrentFrame(4039, pal), 100u);
}

TEST(DisplayModeOrder, DesktopFirstThenNearTheFile) {
  const platform::display::DisplayMode desktop{1920, 1080, 32, 60};
  const auto small = FullScreenModeOrder(desktop, -1, -1, 640, 480);
  ASSERT_GE(small.size(), 4u);
  EXPECT_EQ(small[0], (platform::display::DisplayMode{1920, 1080, 32, 0}));
  EXPECT_EQ(small[1], (platform::display::DisplayMode{640, 480, 32, 120}));
  EXPECT_EQ(small[2], (platform::display::DisplayMode{640, 480, 32, 60}));
  // A small picture tries 800 × 600 twice, as the two rules for it overlap.
  int tries800 = 0;
  for (const auto& mode : small) tries800 += mode.width == 800 && mode.refreshRate == 120;
  EXPECT_EQ(tries800, 2);

  const auto forced = FullScreenModeOrder(desktop, 1280, 720, 1920, 1080);
  ASSERT_EQ(forced.size(), 5u);
  EXPECT_EQ(forced[1], (platform::display::DisplayMode{1280, 720, 32, 120}));
  EXPECT_EQ(forced.back(), forced.front());

  const auto ntscWide = FullScreenModeOrder(desktop, 0, 720, 848, 480);
  EXPECT_EQ(ntscWide[1], (platform::display::DisplayMode{848, 480, 32, 120}));
}

}  // namespace
}  // namespace playback
