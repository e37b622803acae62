#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/entry.h"
#include "app/shell.h"
#include "support/temp_dir.h"
#include "platform/ui/main_window.h"
#include "playback/engine.h"
#include "support/test_clip.h"
#include "support/x_server.h"

namespace app {
namespace {

// The grey level at the centre of the video area as the X server holds it.
int CentreGrey(platform::ui::MainWindow& window) {
  const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  const QPoint centre = window.centralWidget()->geometry().center();
  return shot.isNull() ? -1 : qGreen(shot.pixel(centre));
}

struct Playback {
  int firstGrey = -1;                        // on screen after the open
  int lastGrey = -1;                         // on screen after the end
  std::vector<std::vector<int64_t>> frames;  // the dump's frame lines, fields after the kind
};

// The whole program on a real window under a private Xvfb: the clip named on the command line,
// Space once its first picture shows, and the window closed once playback has ended by itself.
class PlayerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testsupport::XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
    std::string error;
    server_ = testsupport::XServer::Start(&error);
    ASSERT_TRUE(server_) << error;
    setenv("DISPLAY", server_->Display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("VISTREL_STATS", dir_.File("stats.txt").c_str(), 1);
    testsupport::KeepSoftwareDriverLoaded();
  }
  void TearDown() override {
    unsetenv("VISTREL_STATS");
    unsetenv("VISTREL_AUDIO");
    unsetenv("VISTREL_AUDIO_CAPTURE");
  }

  Playback Play(const std::string& clip, int32_t frames) {
    Playback result;
    bool started = false;
    char program[] = "vistrel";
    std::string clipArgument = clip;
    char* argv[] = {program, clipArgument.data(), nullptr};
    EXPECT_EQ(RunPlayer(2, argv,
                        [&](Shell& shell) {
                          platform::ui::MainWindow& window = *shell.Window();
                          playback::EngineContext& engine = shell.Engine()->Context();
                          auto* poll = new QTimer(&window);
                          QObject::connect(poll, &QTimer::timeout,
                                           [&result, &started, &window, &engine, poll, frames] {
                                             if (!started) {
                                               result.firstGrey = CentreGrey(window);
                                               if (result.firstGrey <= 0) return;
                                               started = true;
                                               QTest::keyClick(&window, Qt::Key_Space);
                                               return;
                                             }
                                             // The first frame was shown by the open; playing presents the
                                             // others.
                                             if (engine.playback.playing.load() != 0 ||
                                                 engine.playback.framesShown.load() < frames - 1) {
                                               return;
                                             }
                                             result.lastGrey = CentreGrey(window);
                                             poll->stop();
                                             window.close();
                                           });
                          poll->start(50);
                          // Never hang on a failed step.
                          QTimer::singleShot(30000, &window, [&window] { window.close(); });
                        }),
              0);
    std::ifstream in(dir_.File("stats.txt"));
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      std::string kind;
      fields >> kind;
      if (kind != "frame") continue;
      result.frames.emplace_back(std::istream_iterator<int64_t>(fields), std::istream_iterator<int64_t>());
    }
    return result;
  }

  testsupport::TempDir dir_;
  std::unique_ptr<testsupport::XServer> server_;
};

TEST_F(PlayerWindowTest, PlaysAClipToItsEndAndKeepsTheLastPicture) {
  constexpr int32_t kFrames = 40;
  const std::string clip = dir_.File("clip.avi");
  ASSERT_TRUE(testsupport::WriteTestClip(clip, {.width = 160, .height = 120, .frames = kFrames}));
  const Playback played = Play(clip, kFrames);
  // The first picture was shown at the open (and perhaps redrawn at the window's first expose).
  ASSERT_GE(played.frames.size(), size_t(kFrames));
  for (int32_t f = 0; f < kFrames; ++f) {
    EXPECT_EQ(played.frames[played.frames.size() - kFrames + size_t(f)][0], f * 40) << "frame " << f;
  }
  EXPECT_GT(played.firstGrey, 0);
  EXPECT_GT(played.lastGrey, played.firstGrey + 20);
}

TEST_F(PlayerWindowTest, TheSoundPlaysWholeAndTheVideoFollowsIt) {
  constexpr int32_t kFrames = 50;
  const testsupport::ClipShape shape{.width = 160, .height = 120, .frames = kFrames, .audio = true};
  const std::string clip = dir_.File("clip.avi");
  ASSERT_TRUE(testsupport::WriteTestClip(clip, shape));
  const std::string capture = dir_.File("capture.wav");
  setenv("VISTREL_AUDIO", "virtual", 1);
  setenv("VISTREL_AUDIO_CAPTURE", capture.c_str(), 1);
  const Playback played = Play(clip, kFrames);

  // The frames presented while the sound played follow it: half of them within one frame period
  // of the sound being heard and none far off, which a busy machine's scheduling cannot upset
  // but a clock that drifted, or missed the sound's start, would.
  std::vector<int64_t> offsets;
  for (const std::vector<int64_t>& frame : played.frames) {
    if (frame[6] >= 0) offsets.push_back(std::abs(frame[0] - frame[6]));
  }
  ASSERT_GE(offsets.size(), size_t(kFrames - 1));
  std::sort(offsets.begin(), offsets.end());
  EXPECT_LE(offsets[offsets.size() / 2], 40);
  EXPECT_LE(offsets.back(), 250);

  // What the device played is the stream's samples, then silence to the end of the last buffer.
  std::ifstream in(capture, std::ios::binary);
  const std::string wav((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t data = wav.find("data");
  ASSERT_NE(data, std::string::npos);
  const std::string played8 = wav.substr(data + 8);
  const std::vector<uint8_t> sound = testsupport::ClipSound(shape);
  ASSERT_GE(played8.size(), sound.size());
  EXPECT_TRUE(std::equal(sound.begin(), sound.end(), played8.begin(),
                         [](uint8_t a, char b) { return a == static_cast<uint8_t>(b); }));
  EXPECT_EQ(played8.find_first_not_of('\0', sound.size()), std::string::npos);
}

}  // namespace
}  // namespace app
