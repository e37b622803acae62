#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "audio/ks/ks_renderer.h"
#include "support/temp_dir.h"
#include "support/engine_harness.h"
#include "support/fake_device_tree.h"
#include "support/test_clip.h"

namespace playback {
namespace {

using platform::display::MemoryBackend;
using platform::display::PresentedPicture;
using testsupport::ClipShape;
using testsupport::EngineHarness;

// Threads of this process with a name.
int ThreadsNamed(const std::string& name) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream comm(entry.path() / "comm");
    std::string line;
    count += std::getline(comm, line) && line == name;
  }
  return count;
}

bool IsBlack(uint32_t pixel) { return (pixel & 0xFFFFFF) == 0; }

class EngineTest : public ::testing::Test {
 protected:
  std::string Clip(const ClipShape& shape, const std::string& name = "clip.avi") {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testsupport::WriteTestClip(path, shape));
    return path;
  }

  // Plays from the clock's 0, moving it one frame (40 ms) after each presentation, until the
  // playback ends by itself; returns the stamps presented meanwhile.
  static std::vector<int32_t> PlayFrameByFrame(EngineHarness& h) {
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !h.Engine().PresentationPending(); }));
    const size_t before = h.PresentedStamps().size();
    h.Engine().Play();
    EXPECT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
    for (size_t frame = 1; Playing(h); ++frame) {
      h.ticks.AdvanceMs(40);
      testsupport::WaitUntil([&] { return h.PresentedStamps().size() >= before + frame || !Playing(h); });
    }
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !h.Engine().Context().playback.playing.load(); }));
    const std::vector<int32_t> all = h.PresentedStamps();
    return {all.begin() + long(before), all.end()};
  }

  static bool Playing(EngineHarness& h) { return h.Engine().Context().playback.playing.load() != 0; }

  testsupport::TempDir dir_;
};

TEST_F(EngineTest, OpeningSizesTheWindowAndShowsTheFirstPicture) {
  EngineHarness h;
  h.Open(Clip({.width = 720, .height = 480, .frames = 3}));
  ASSERT_TRUE(h.Engine().HasDecoder());
  EXPECT_EQ(h.Display().ClientRect(), (platform::display::Rect{0, 0, 720, 480}));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !h.Display().TakePresented().empty() || false; }));
}

TEST_F(EngineTest, AFileThatIsNoAviKeepsTheLoadedOne) {
  EngineHarness h;
  h.Open(Clip({.frames = 3}));
  h.Open(dir_.Write("notes.txt", {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_TRUE(h.Engine().HasDecoder());
  ASSERT_EQ(h.Host().Messages().size(), 1u);
  EXPECT_EQ(h.Host().Messages()[0], (std::pair<std::string, std::string>{"Unsupported file", "Open"}));
}

// The clip at `path` with its idx1 cut off, as a recording that stopped leaves it.
std::string WithoutIndex(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.rfind("idx1"));
  return path;
}

TEST_F(EngineTest, AFileWithoutIndexOpensAndStopAmongTheWindowsEventsCancelsIt) {
  EngineHarness h;
  int events = 0;
  h.Host().onProcessEvents = [&] { ++events; };
  h.Open(WithoutIndex(Clip({.frames = 6})));
  ASSERT_TRUE(h.Engine().HasDecoder());
  EXPECT_EQ(h.Context().file.movie->VideoTable()->Count(), 6u);
  EXPECT_GE(events, 1);

  // Another open asked for meanwhile is not taken; Stop leaves nothing loaded and says nothing.
  h.Host().onProcessEvents = [&] {
    h.Engine().Open(playback::FileName::Narrow(Clip({.frames = 3}, "other.avi")));
    h.Engine().Stop();
  };
  h.Open(WithoutIndex(Clip({.frames = 6}, "second.avi")));
  EXPECT_FALSE(h.Engine().HasDecoder());
  EXPECT_FALSE(h.Engine().Opening());
  EXPECT_TRUE(h.Host().Messages().empty());

  h.Host().onProcessEvents = nullptr;
  h.Open(Clip({.frames = 3}));
  EXPECT_TRUE(h.Engine().HasDecoder());
}

TEST_F(EngineTest, AFileWithoutSoundPlaysEveryFrameOnceAndStops) {
  EngineHarness h;
  h.Open(Clip({.frames = 12}));
  // The first picture was shown by the open and stays until the second is due.
  const std::vector<int32_t> stamps = PlayFrameByFrame(h);
  std::vector<int32_t> expected;
  for (int32_t f = 1; f < 12; ++f) expected.push_back(f * 40);
  EXPECT_EQ(stamps, expected);
  EXPECT_FALSE(h.Engine().Context().services.clock.IsRunning());
}

TEST_F(EngineTest, TheDumpsTimesHoldOnAMachineUpForMonths) {
  EngineHarness h;
  constexpr int64_t kUpMs = int64_t{200} * 24 * 3600 * 1000;  // the counter's microseconds × 10^6 overflow
  h.ticks.SetMs(kUpMs);
  h.Open(Clip({.frames = 3}));
  const auto lines = h.DumpLines("frame");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(std::stoll(lines[0][3]), kUpMs * 1000);
}

TEST_F(EngineTest, TheLastPictureStaysAfterTheEnd) {
  EngineHarness h;
  h.Open(Clip({.frames = 4}));
  PlayFrameByFrame(h);
  const std::vector<PresentedPicture> shown = h.Display().TakePresented();
  ASSERT_FALSE(shown.empty());
  // The window is redrawn after the end with the last frame, not cleared.
  h.Engine().RequestClear();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !h.Engine().PresentationPending(); }));
  std::vector<PresentedPicture> again;
  ASSERT_TRUE(testsupport::WaitUntil([&] {
    for (auto& p : h.Display().TakePresented()) again.push_back(std::move(p));
    return !again.empty();
  }));
  EXPECT_EQ(again.back().Pixel(10, 10), shown.back().Pixel(10, 10));
  EXPECT_FALSE(IsBlack(again.back().Pixel(10, 10)));
}

TEST_F(EngineTest, NegativeAvSyncHoldsThePictureLonger) {
  EngineHarness h;
  h.settings.avSync = -200;
  h.Open(Clip({.frames = 10}));
  const size_t before = h.PresentedStamps().size();
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  // For the first 200 ms the playback time stays 0.
  h.ticks.SetMs(239);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(h.PresentedStamps().size(), before);
  h.ticks.SetMs(240);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().size() == before + 1; }));
  EXPECT_EQ(h.PresentedStamps().back(), 40);
}

TEST_F(EngineTest, PlayTwiceStartsOneControlThread) {
  EngineHarness h;
  h.Open(Clip({.frames = 10}));
  h.Engine().Play();
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  ASSERT_TRUE(testsupport::WaitUntil([&] { return ThreadsNamed("vistrel-decode") == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ThreadsNamed("vistrel-control"), 1);
  EXPECT_EQ(ThreadsNamed("vistrel-decode"), 1);
  h.Engine().Stop();
  EXPECT_EQ(ThreadsNamed("vistrel-control"), 0);
  EXPECT_EQ(ThreadsNamed("vistrel-decode"), 0);
}

TEST_F(EngineTest, ABackwardSeekDecodesFromTheNewTime) {
  EngineHarness h;
  h.Open(Clip({.frames = 20}));
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  for (int32_t ms = 40; ms <= 400; ms += 40) {
    h.ticks.SetMs(ms);
    ASSERT_TRUE(testsupport::WaitUntil(
        [&] { return !h.PresentedStamps().empty() && h.PresentedStamps().back() == ms; }));
  }
  h.Engine().Seek(80);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().back() == 80; }));
  EXPECT_EQ(h.Engine().Context().services.clock.Now(), 80u);
}

TEST_F(EngineTest, AnOpenMenuUsesFramesUpWithoutDrawingThem) {
  EngineHarness h;
  h.Open(Clip({.frames = 20}));
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  h.ticks.SetMs(40);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().back() == 40; }));
  const size_t shown = h.PresentedStamps().size();
  h.Engine().SetWindowState(kWindowMenu);
  h.ticks.SetMs(200);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.DumpLines("dropped").size() >= 1; }));
  EXPECT_EQ(h.PresentedStamps().size(), shown);
  h.Engine().SetWindowState(kWindowNormal);
  h.ticks.SetMs(280);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().back() == 280; }));
}

TEST_F(EngineTest, AMinimisedWindowLetsTheRingFillAndRequestsNothing) {
  EngineHarness h;
  h.Open(Clip({.frames = 20}));
  h.Engine().SetWindowState(kWindowHidden);
  const int32_t requests = h.Engine().PresentationCounters()[3];
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.Engine().Context().ring.ringFull.load() != 0; }));
  h.ticks.SetMs(400);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(h.Engine().PresentationCounters()[3], requests);
  EXPECT_EQ(h.Engine().Context().ring.decodedCount.load(), kFrameSlots);
}

TEST_F(EngineTest, PixelAspectLetterboxesThePicture) {
  EngineHarness h;
  h.Open(Clip({.width = 720, .height = 480, .frames = 2, .videoParams = {0, 0, 0, 0, 32, 27}}));
  h.Display().SetClientSize(640, 480);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !h.Engine().PresentationPending(); }));
  h.Display().TakePresented();
  h.Engine().RequestClear();
  std::vector<PresentedPicture> shown;
  ASSERT_TRUE(testsupport::WaitUntil([&] {
    for (auto& p : h.Display().TakePresented()) shown.push_back(std::move(p));
    return !shown.empty() && shown.back().width == 640;
  }));
  const PresentedPicture& picture = shown.back();
  ASSERT_EQ(picture.height, 480);
  EXPECT_TRUE(IsBlack(picture.Pixel(320, 59)));
  EXPECT_FALSE(IsBlack(picture.Pixel(320, 60)));
  EXPECT_FALSE(IsBlack(picture.Pixel(320, 419)));
  EXPECT_TRUE(IsBlack(picture.Pixel(320, 420)));
}

TEST_F(EngineTest, FullScreenAtAnotherHeightConvertsCentredWithBlackLines) {
  EngineHarness::Options options;
  options.display.desktop = {720, 576, 32, 60};
  EngineHarness h(options);
  h.Open(Clip({.width = 720, .height = 480, .frames = 10}));
  h.Engine().SetFullScreen(true);
  ASSERT_EQ(h.Engine().Context().ring.mode.load(), RingMode::kWorkerRing);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return !h.Engine().PresentationPending(); }));
  const size_t before = h.PresentedStamps().size();
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  h.ticks.AdvanceMs(40);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().size() > before; }));
  const std::vector<PresentedPicture> shown = h.Display().TakePresented();
  ASSERT_FALSE(shown.empty());
  const PresentedPicture& picture = shown.back();
  ASSERT_TRUE(picture.fullScreen);
  ASSERT_EQ(picture.height, 576);
  EXPECT_TRUE(IsBlack(picture.Pixel(360, 47)));
  EXPECT_FALSE(IsBlack(picture.Pixel(360, 48)));
  EXPECT_FALSE(IsBlack(picture.Pixel(360, 527)));
  EXPECT_TRUE(IsBlack(picture.Pixel(360, 528)));
  h.Engine().Stop();
  h.Engine().SetFullScreen(false);
  EXPECT_EQ(h.Engine().Context().ring.mode.load(), RingMode::kDirectRing);
  EXPECT_EQ(h.Host().FullScreenCalls(), (std::vector<bool>{false, true, false}));
}

TEST_F(EngineTest, FullScreenAtThePicturesSizeDecodesIntoTheBackBuffer) {
  EngineHarness::Options options;
  options.display.desktop = {64, 48, 32, 60};
  EngineHarness h(options);
  h.Open(Clip({.frames = 6}));
  h.Engine().SetFullScreen(true);
  ASSERT_EQ(h.Engine().Context().ring.mode.load(), RingMode::kSingleBuffer);
  const std::vector<int32_t> stamps = PlayFrameByFrame(h);
  EXPECT_EQ(stamps, (std::vector<int32_t>{40, 80, 120, 160, 200}));
}

TEST_F(EngineTest, SeeksGoWhereTheSoundCanAndChaptersJump) {
  EngineHarness::Options options;
  options.renderer = true;
  EngineHarness h(options);
  h.Open(Clip({.frames = 250,
               .audio = true,
               .chapters = {{0, "Bars", {}}, {100, {}, u"Ramp \u2013 Rampe"}, {175, "Wheel", {}}}}));
  h.Engine().Play();
  ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
  h.Engine().Seek(1234);
  EXPECT_EQ(h.rendererCalls.lastSeekMs.load(), 1234);
  EXPECT_EQ(h.Engine().Context().services.clock.Now(), 1230u);

  const auto next = h.Engine().NextChapter();
  ASSERT_TRUE(next.has_value());
  EXPECT_EQ(std::get<std::u16string>(*next), u"Go To Chapter 2: Ramp \u2013 Rampe");
  EXPECT_EQ(h.Engine().Context().services.clock.Now(), 4000u);
  h.ticks.AdvanceMs(3100);  // frame 177, inside the third chapter
  const auto previous = h.Engine().PreviousChapter();
  ASSERT_TRUE(previous.has_value());
  EXPECT_EQ(std::get<std::u16string>(*previous), u"Go To Chapter 2: Ramp \u2013 Rampe");
  h.Engine().Stop();
}

TEST_F(EngineTest, WithoutASoundDeviceTheVideoPlaysAloneAfterAFewRetries) {
  EngineHarness::Options options;
  options.renderer = true;
  options.deviceWorks = false;
  EngineHarness h(options);
  h.Open(Clip({.frames = 6, .audio = true}));
  testing::internal::CaptureStderr();
  const std::vector<int32_t> stamps = PlayFrameByFrame(h);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(stamps.size(), 5u);
  EXPECT_EQ(h.rendererCalls.plays.load(), 1 + PlaybackControl::kAudioRetries);
  EXPECT_NE(said.find("No sound device"), std::string::npos);
}

// A machine without a sound card: direct output, asked for by hand, finds no device; the box
// says so and the waveOut renderer plays instead, once, with no retry for the failure that was
// not its own. Left at its default, the setting never tries direct output.
TEST_F(EngineTest, DirectOutputThatCannotPlayFallsBackToWaveOutWithTheBox) {
  testsupport::FakeDeviceTree noCards;
  std::atomic<int32_t> directMade{0};
  std::atomic<int32_t> waveOutMade{0};
  testsupport::FakeRenderer::Calls waveOutCalls;
  EngineHarness::Options options;
  options.rendererFactory = [&](int32_t kind,
                                common::PlaybackClock&) -> std::unique_ptr<audio::IAudioRenderer> {
    if (kind == audio::kRendererKs) {
      directMade.fetch_add(1);
      return std::make_unique<audio::ks::KSRenderer>(noCards);
    }
    waveOutMade.fetch_add(1);
    return std::make_unique<testsupport::FakeRenderer>(waveOutCalls, true);
  };
  EngineHarness h(options);
  h.Open(Clip({.frames = 50, .audio = true}));
  const auto playSome = [&] {
    const size_t before = h.PresentedStamps().size();
    h.Engine().Play();
    ASSERT_TRUE(testsupport::WaitUntil([&] { return Playing(h); }));
    for (int frame = 1; frame <= 3; ++frame) {
      h.ticks.AdvanceMs(40);
      ASSERT_TRUE(testsupport::WaitUntil([&] { return h.PresentedStamps().size() >= before + frame; }));
    }
    h.Engine().Stop();
  };

  h.settings.useWaveOut = 0;
  playSome();
  EXPECT_EQ(h.Host().Messages(),
            (std::vector<std::pair<std::string, std::string>>{{"Cannot use KS, use Waveout", "Error"}}));
  EXPECT_EQ(directMade.load(), 1);
  EXPECT_EQ(waveOutMade.load(), 1);
  EXPECT_EQ(waveOutCalls.plays.load(), 1);

  h.settings.useWaveOut = 1;
  playSome();
  EXPECT_EQ(h.Host().Messages().size(), 1u);
  EXPECT_EQ(directMade.load(), 1);
  EXPECT_EQ(waveOutMade.load(), 2);
}

// For the thread sanitizer: every operation of the user-interface thread against running playback.
TEST_F(EngineTest, PlaySeekSwitchAndStopInALoop) {
  EngineHarness::Options options;
  options.display.desktop = {320, 240, 32, 60};
  EngineHarness h(options);
  h.Open(Clip({.width = 96, .height = 64, .frames = 60}));
  for (int round = 0; round < 6; ++round) {
    h.Engine().Play();
    h.ticks.AdvanceMs(120);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    h.Engine().SeekBy(round % 2 == 0 ? 400 : -200);
    h.Engine().SetFullScreen(round % 2 == 0);
    h.ticks.AdvanceMs(80);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    h.Engine().Stop();
  }
  h.Engine().SetFullScreen(false);
  EXPECT_FALSE(Playing(h));
}

}  // namespace
}  // namespace playback
