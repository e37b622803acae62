#include "app/on_screen_display.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "app/statistics_line.h"
#include "common/allocation_lock.h"
#include "platform/display/device.h"
#include "platform/display/memory_backend.h"
#include "support/manual_ticks.h"

namespace app {
namespace {

using platform::display::Device;
using platform::display::LockedRect;
using platform::display::MemoryBackend;
using platform::display::Surface;
using platform::text::kLineHeight;

constexpr uint32_t kBackground = 0x11223344;

// Pixel rows of a surface, or of a line picture, for whole-picture comparisons.
using Pixels = std::vector<std::vector<uint32_t>>;

Pixels Read(Surface& surface) {
  LockedRect locked;
  EXPECT_EQ(surface.Lock(&locked), platform::display::Result::kOk);
  Pixels rows(size_t(locked.height), std::vector<uint32_t>(size_t(locked.width)));
  for (int32_t y = 0; y < locked.height; ++y)
    std::memcpy(rows[y].data(), locked.bits + y * locked.pitch, rows[y].size() * 4);
  surface.Unlock();
  return rows;
}

void FillBackground(Surface& surface) { surface.Fill(nullptr, kBackground); }

// What the surface should hold after the OSD drew `text` into it over the background.
template <typename Text>
Pixels Expected(const Text& text, int32_t width, int32_t height) {
  Pixels rows(size_t(height), std::vector<uint32_t>(size_t(width), kBackground));
  platform::text::LineRasteriser rasteriser;
  const platform::text::LinePicture line = rasteriser.Render(text, width);
  for (int32_t y = 0; y < std::min(height, kLineHeight) && line.width > 0; ++y) {
    std::memcpy(rows[y].data(), line.bits + y * line.pitch, size_t(line.width) * 4);
  }
  return rows;
}

class OnScreenDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override { common::AllocationLock::Acquire(); }
  void TearDown() override { common::AllocationLock::Release(); }

  std::unique_ptr<Surface> Drawn(int32_t width, int32_t height) {
    auto surface = device_.CreateOffscreenSurface(width, height);
    FillBackground(*surface);
    osd_.Draw(*surface);
    return surface;
  }
  bool DrawsSomething() { return Read(*Drawn(300, 24)) != Expected("", 300, 24); }

  testsupport::ManualTicks ticks_;
  common::PlaybackClock clock_{ticks_};
  common::Settings settings_;
  Device device_{std::make_shared<MemoryBackend>()};
  OnScreenDisplay osd_{clock_, settings_};
};

TEST_F(OnScreenDisplayTest, MessageFillsTheTopRowsCutAtTheRightEdgeForThreeSeconds) {
  clock_.Start(0);
  osd_.ShowMessage(std::string("Saturation: 105%"));
  // A frame wider than the text keeps its pixels right of the text and below row 17.
  EXPECT_EQ(Read(*Drawn(400, 30)), Expected(std::string("Saturation: 105%"), 400, 30));
  // A small frame takes what fits, across and down.
  EXPECT_EQ(Read(*Drawn(23, 30)), Expected(std::string("Saturation: 105%"), 23, 30));
  EXPECT_EQ(Read(*Drawn(64, 7)), Expected(std::string("Saturation: 105%"), 64, 7));

  ticks_.AdvanceMs(OnScreenDisplay::kMessageMs);
  EXPECT_TRUE(DrawsSomething()) << "shown up to the deadline itself";
  ticks_.AdvanceMs(1);
  EXPECT_FALSE(DrawsSomething());
  ticks_.AdvanceMs(-10);
  EXPECT_FALSE(DrawsSomething()) << "once passed, the text is gone for good";
}

TEST_F(OnScreenDisplayTest, WideMessagesAndLongTitles) {
  osd_.ShowMessage(std::u16string(u"Go To Chapter 2: \u00c4rger"));
  EXPECT_EQ(Read(*Drawn(300, 20)), Expected(std::u16string(u"Go To Chapter 2: \u00c4rger"), 300, 20));
  // A hostile title is kept only as far as one line can show, and never cut inside a character.
  std::string title = std::string(OnScreenDisplay::kMaxText - 1, 'a') + "\xC3\x84" + "bbbb";
  osd_.ShowMessage(title);
  const Pixels kept = Expected(std::string(OnScreenDisplay::kMaxText - 1, 'a'), 16000, 18);
  EXPECT_EQ(Read(*Drawn(16000, 18)), kept);
  osd_.ShowMessage(std::u16string(OnScreenDisplay::kMaxText - 1, u'a') + u"\U0001F600" + u"b");
  EXPECT_EQ(Read(*Drawn(16000, 18)), kept);
}

TEST_F(OnScreenDisplayTest, StatisticsLineRenewsItselfButLeavesAFreshMessageAlone) {
  clock_.Start(0);
  playback::StatisticsFigures figures;
  figures.stampMs = 3723456;
  figures.fps = 29.97;
  osd_.FrameDecoded(figures);
  const std::string line = StatisticsLine(figures);
  EXPECT_EQ(Read(*Drawn(500, 18)), Expected(line, 500, 18));

  ticks_.AdvanceMs(1000);
  osd_.ShowMessage(std::string("Contrast: 95%"));
  figures.stampMs += 40;
  osd_.FrameDecoded(figures);
  EXPECT_EQ(Read(*Drawn(500, 18)), Expected(std::string("Contrast: 95%"), 500, 18));

  // The message expires when a draw finds it late; the next frame brings the line back for 10 s.
  ticks_.AdvanceMs(OnScreenDisplay::kMessageMs + 1);
  EXPECT_FALSE(DrawsSomething());
  osd_.FrameDecoded(figures);
  EXPECT_EQ(Read(*Drawn(500, 18)), Expected(StatisticsLine(figures), 500, 18));
  ticks_.AdvanceMs(OnScreenDisplay::kStatisticsMs);
  EXPECT_TRUE(DrawsSomething());
  ticks_.AdvanceMs(1);
  EXPECT_FALSE(DrawsSomething());
}

TEST_F(OnScreenDisplayTest, SwitchedOffOrEmptyDrawsNothing) {
  EXPECT_FALSE(DrawsSomething());
  osd_.ShowMessage(std::string(""));
  EXPECT_FALSE(DrawsSomething());
  settings_.osdEnable = 0;
  osd_.ShowMessage(std::string("Reset Color"));
  EXPECT_FALSE(DrawsSomething());
  settings_.osdEnable = 1;
  EXPECT_TRUE(DrawsSomething());
}

TEST_F(OnScreenDisplayTest, ClearedDeadlineHidesTheTextOnceTheClockRuns) {
  osd_.ShowMessage(std::string("Reset Color"));
  osd_.ClearDeadline();
  // Stopped, the clock reads 0, which is not past the cleared deadline: a single frame shown
  // after Stop still carries the text.
  EXPECT_TRUE(DrawsSomething());
  clock_.Start(5000);
  EXPECT_FALSE(DrawsSomething());
}

// Messages, statistics lines and drawing from three threads at once (run under TSan).
TEST_F(OnScreenDisplayTest, ThreadsShareTheTextSafely) {
  clock_.Start(0);
  auto surface = device_.CreateOffscreenSurface(120, 18);
  std::atomic<bool> stop{false};
  std::thread decoder([&] {
    playback::StatisticsFigures figures;
    while (!stop.load(std::memory_order_relaxed)) {
      figures.stampMs += 40;
      osd_.FrameDecoded(figures);
    }
  });
  std::thread presenter([&] {
    while (!stop.load(std::memory_order_relaxed)) osd_.Draw(*surface);
  });
  for (int i = 0; i < 200; ++i) {
    osd_.ShowMessage(i % 2 ? std::string("Brightness: 100%") : std::string());
    osd_.ShowMessage(std::u16string(u"Chapter"));
    ticks_.AdvanceMs(500);
  }
  stop = true;
  decoder.join();
  presenter.join();
}

}  // namespace
}  // namespace app
