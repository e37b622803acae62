#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/shell.h"
#include "avi_writer/demo_clip.h"
#include "platform/display/video_window.h"
#include "platform/ui/main_window.h"
#include "playback/engine.h"
#include "support/temp_dir.h"
#include "support/weston.h"
#include "support/x_server.h"

namespace app {
namespace {

constexpr int kDemoFrames = 250;  // 10 s at 25 frames a second
constexpr int kDemoWidth = 640;
constexpr int kDemoHeight = 360;
// The demo's yellow bar: a seventh of the picture's width over its top 200 rows.
constexpr int kYellowPixels = kDemoWidth / 7 * 200;

bool YellowInBand(int yellow) { return yellow > kYellowPixels * 9 / 10 && yellow < kYellowPixels * 11 / 10; }

// The pixels of a screenshot within a few levels of the demo's yellow bar.
int YellowPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      count += std::abs(qRed(p) - 197) <= 3 && std::abs(qGreen(p) - 197) <= 3 && std::abs(qBlue(p) - 7) <= 3;
    }
  }
  return count;
}

// What a run saw of the window.
struct Seen {
  int result = -1;
  bool usesOpenGL = false;
  qreal ratio = 0;
  QSize deviceArea;
  QSize logicalArea;
  int yellow = -1;  // in the last screenshot
};

// One run of the whole program on the demo clip under a private Weston at `scale`. `step` runs
// every 50 ms once the video area is shown and returns true when the run may end.
class WaylandRun {
 public:
  explicit WaylandRun(int scale, const char* display) : scale_(scale) {
    std::string error;
    weston_ = testsupport::Weston::Start(scale, &error);
    if (!weston_) {
      error_ = error;
      return;
    }
    clip_ = dir_.File("demo.avi");
    if (!aviwriter::WriteDemoClip(clip_)) error_ = "the demo clip was not written";
    stats_ = dir_.File("stats.txt");
    weston_->UseForQt();
    setenv("VISTREL_STATS", stats_.c_str(), 1);
    setenv("VISTREL_AUDIO", "virtual", 1);
    setenv("VISTREL_DISPLAY", display, 1);
    setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    testsupport::KeepSoftwareDriverLoaded();
  }
  ~WaylandRun() {
    for (const char* variable : {"VISTREL_STATS", "VISTREL_AUDIO", "VISTREL_DISPLAY"}) unsetenv(variable);
  }

  const std::string& Error() const { return error_; }
  const std::string& Stats() const { return stats_; }

  Seen Run(const std::function<bool(platform::ui::MainWindow&, playback::EngineContext&,
                                    platform::display::VideoWindow&)>& step) {
    Seen seen;
    int shots = 0;
    char program[] = "vistrel";
    char* argv[] = {program, clip_.data(), nullptr};
    seen.result = RunPlayer(2, argv, [&](Shell& shell) {
      platform::ui::MainWindow& window = *shell.Window();
      playback::EngineContext& engine = shell.Engine()->Context();
      auto* video = window.windowHandle()->findChild<platform::display::VideoWindow*>();
      if (video == nullptr) {
        window.close();
        return;
      }
      seen.usesOpenGL = video->UsesOpenGL();
      auto* poll = new QTimer(&window);
      QObject::connect(poll, &QTimer::timeout, [&, video, poll] {
        if (shots == 0) {
          if (!video->isExposed() && seen.ratio == 0) return;
          seen.ratio = video->devicePixelRatio();
          seen.deviceArea = window.VideoAreaSize();
          seen.logicalArea = video->size();
          if (!step(window, engine, *video)) return;
        }
        // The compositor may show the last picture a few frames late: shots are taken until it
        // is there, for at most forty shots.
        const std::string shot = dir_.File("shot.png");
        if (weston_->Screenshot(shot)) seen.yellow = YellowPixels(QImage(QString::fromStdString(shot)));
        if (++shots < 40 && !YellowInBand(seen.yellow)) return;
        poll->stop();
        window.close();
      });
      poll->start(50);
      QTimer::singleShot(60000, &window, [&window] { window.close(); });  // never hang on a failed step
    });
    return seen;
  }

  void ExpectDevicePixels(const Seen& seen) const {
    EXPECT_EQ(seen.ratio, scale_);
    EXPECT_EQ(seen.deviceArea, QSize(kDemoWidth, kDemoHeight));
    EXPECT_EQ(seen.logicalArea, QSize(kDemoWidth / scale_, kDemoHeight / scale_));
    // As many pixels of the output as of the picture: drawn one to one in device pixels.
    EXPECT_TRUE(YellowInBand(seen.yellow)) << seen.yellow << " yellow pixels against " << kYellowPixels;
  }

 private:
  int scale_;
  std::unique_ptr<testsupport::Weston> weston_;
  testsupport::TempDir dir_;
  std::string clip_;
  std::string stats_;
  std::string error_;
};

class PlayerOnWayland : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!testsupport::Weston::Installed()) GTEST_SKIP() << "weston or Qt's Wayland platform is not installed";
  }
};

// The whole program under a Wayland compositor: the demo clip named on the command line shows its
// first picture, Space plays it to the end with the sound on the virtual output while the video
// area stays shown, and the last picture stays in the window in device pixels, one to one at any
// scale factor.
TEST_P(PlayerOnWayland, PlaysTheDemoClipInDevicePixels) {
  WaylandRun run(GetParam(), "software");
  ASSERT_EQ(run.Error(), "");
  bool started = false;
  int hiddenWhilePlaying = 0;
  const Seen seen = run.Run([&](platform::ui::MainWindow& window, playback::EngineContext& engine,
                                platform::display::VideoWindow& video) {
    if (!started) {
      started = true;
      QTest::keyClick(&window, Qt::Key_Space);
      return false;
    }
    if (engine.playback.playing.load() != 0) {
      hiddenWhilePlaying += !video.isExposed();
      return false;
    }
    return engine.playback.framesShown.load() >= kDemoFrames / 2;
  });
  EXPECT_EQ(seen.result, 0);
  EXPECT_FALSE(seen.usesOpenGL);
  EXPECT_EQ(hiddenWhilePlaying, 0);
  run.ExpectDevicePixels(seen);

  // Presented in order, to the clip's last frame.
  std::vector<int32_t> shown;
  std::ifstream in(run.Stats());
  std::string kind;
  std::string rest;
  int32_t stamp = 0;
  while (in >> kind) {
    if (kind == "frame" && in >> stamp) shown.push_back(stamp);
    std::getline(in, rest);
  }
  ASSERT_GT(shown.size(), size_t(kDemoFrames / 2));
  EXPECT_EQ(shown.back(), (kDemoFrames - 1) * 40);
  int32_t backwards = 0;
  for (size_t i = shown.size() - kDemoFrames / 2; i < shown.size(); ++i) backwards += shown[i] < shown[i - 1];
  EXPECT_EQ(backwards, 0);
}

// The OpenGL presentation goes through EGL on Wayland and shows the opened file's first picture
// in device pixels.
TEST_P(PlayerOnWayland, ShowsTheFirstPictureThroughOpenGL) {
  WaylandRun run(GetParam(), "opengl");
  ASSERT_EQ(run.Error(), "");
  int polls = 0;
  // The open presented the first picture; a few polls give the compositor time to show it.
  const Seen seen = run.Run([&](platform::ui::MainWindow&, playback::EngineContext&,
                                platform::display::VideoWindow&) { return ++polls >= 10; });
  EXPECT_EQ(seen.result, 0);
  EXPECT_TRUE(seen.usesOpenGL);
  run.ExpectDevicePixels(seen);
}

INSTANTIATE_TEST_SUITE_P(Scales, PlayerOnWayland, ::testing::Values(1, 2));

}  // namespace
}  // namespace app
