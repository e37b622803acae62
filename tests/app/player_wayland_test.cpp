#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/entry.h"
#include "app/shell.h"
#include "avi/temp_dir.h"
#include "avi_writer/demo_clip.h"
#include "platform/display/video_window.h"
#include "platform/ui/main_window.h"
#include "playback/engine.h"
#include "support/weston.h"
#include "support/x_server.h"

namespace app {
namespace {

constexpr int kDemoFrames = 250;  // 10 s at 25 frames a second
constexpr int kDemoWidth = 640;
constexpr int kDemoHeight = 360;

struct Case {
  int scale;
  const char* display;  // VISTREL_DISPLAY
};

class PlayerOnWayland : public ::testing::TestWithParam<Case> {};

// The pixels of a screenshot within a few levels of a colour.
int CountNear(const QImage& image, QRgb colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (std::abs(qRed(p) - qRed(colour)) <= 3 && std::abs(qGreen(p) - qGreen(colour)) <= 3 &&
          std::abs(qBlue(p) - qBlue(colour)) <= 3) {
        ++count;
      }
    }
  }
  return count;
}

// The whole program under a Wayland compositor: the demo clip named on the command line shows
// its first picture, Space plays it to the end with the sound on the virtual output, and the
// last picture stays in the window in device pixels, one to one at any scale factor.
TEST_P(PlayerOnWayland, PlaysTheDemoClipInDevicePixels) {
  const Case c = GetParam();
  if (!testsupport::Weston::Installed()) GTEST_SKIP() << "weston or Qt's Wayland platform is not installed";
  std::string error;
  const auto weston = testsupport::Weston::Start(c.scale, &error);
  ASSERT_TRUE(weston) << error;
  const avitest::TempDir dir;
  const std::string clip = dir.File("demo.avi");
  ASSERT_TRUE(aviwriter::WriteDemoClip(clip));
  const std::string stats = dir.File("stats.txt");
  const std::string shot = dir.File("shot.png");
  weston->UseForQt();
  setenv("VISTREL_STATS", stats.c_str(), 1);
  setenv("VISTREL_AUDIO", "virtual", 1);
  setenv("VISTREL_DISPLAY", c.display, 1);
  setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
  testsupport::KeepSoftwareDriverLoaded();

  bool exposed = false;
  bool usesOpenGL = false;
  qreal ratio = 0;
  QSize deviceArea;
  QSize logicalArea;
  bool shotTaken = false;
  char program[] = "vistrel";
  std::string clipArgument = clip;
  char* argv[] = {program, clipArgument.data(), nullptr};
  const int result = RunPlayer(2, argv, [&](Shell& shell) {
    platform::ui::MainWindow& window = *shell.Window();
    playback::EngineContext& engine = shell.Engine()->Context();
    auto* video = window.windowHandle()->findChild<platform::display::VideoWindow*>();
    ASSERT_NE(video, nullptr);
    usesOpenGL = video->UsesOpenGL();
    auto* poll = new QTimer(&window);
    bool playing = false;
    QObject::connect(poll, &QTimer::timeout, [&, video, poll, playing]() mutable {
      if (!playing) {
        if (!video->isExposed()) return;
        exposed = true;
        playing = true;
        QTest::keyClick(&window, Qt::Key_Space);
        return;
      }
      if (engine.playback.playing.load() != 0 || engine.playback.framesShown.load() < kDemoFrames / 2) return;
      poll->stop();
      ratio = video->devicePixelRatio();
      deviceArea = window.VideoAreaSize();
      logicalArea = video->size();
      shotTaken = weston->Screenshot(shot);
      window.close();
    });
    poll->start(50);
    QTimer::singleShot(60000, &window, [&window] { window.close(); });  // never hang on a failed step
  });
  for (const char* variable : {"VISTREL_STATS", "VISTREL_AUDIO", "VISTREL_DISPLAY"}) unsetenv(variable);
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(exposed) << "the video area was never shown";
  EXPECT_EQ(usesOpenGL, std::string(c.display) == "opengl");

  // The window was sized to the picture in device pixels.
  EXPECT_EQ(ratio, c.scale);
  EXPECT_EQ(deviceArea, QSize(kDemoWidth, kDemoHeight));
  EXPECT_EQ(logicalArea, QSize(kDemoWidth / c.scale, kDemoHeight / c.scale));

  // Presented in order, to the clip's last frame.
  std::vector<int32_t> shown;
  std::ifstream in(stats);
  std::string kind;
  std::string rest;
  int32_t stamp = 0;
  while (in >> kind) {
    if (kind == "frame" && in >> stamp) shown.push_back(stamp);
    std::getline(in, rest);
  }
  ASSERT_GE(shown.size(), size_t(kDemoFrames / 2));
  EXPECT_EQ(shown.back(), (kDemoFrames - 1) * 40);
  int32_t backwards = 0;
  for (size_t i = shown.size() - kDemoFrames / 2; i < shown.size(); ++i) backwards += shown[i] < shown[i - 1];
  EXPECT_EQ(backwards, 0);

  // The yellow bar, a seventh of the picture's width over its top 200 rows, covers as many
  // pixels of the output as it has in the picture: drawn one to one in device pixels.
  ASSERT_TRUE(shotTaken) << "weston-screenshooter failed";
  const QImage image(QString::fromStdString(shot));
  ASSERT_EQ(image.size(), QSize(640 * c.scale, 480 * c.scale));
  const int yellow = CountNear(image, qRgb(197, 197, 7));
  const int expected = kDemoWidth / 7 * 200;
  EXPECT_GT(yellow, expected * 9 / 10);
  EXPECT_LT(yellow, expected * 11 / 10);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& test) {
  return std::string(test.param.display) + "_scale" + std::to_string(test.param.scale);
}

INSTANTIATE_TEST_SUITE_P(ScalesAndPresenters, PlayerOnWayland,
                         ::testing::Values(Case{1, "software"}, Case{1, "opengl"}, Case{2, "software"},
                                           Case{2, "opengl"}),
                         CaseName);

}  // namespace
}  // namespace app
