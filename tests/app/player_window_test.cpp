#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/entry.h"
#include "app/shell.h"
#include "avi/temp_dir.h"
#include "platform/ui/main_window.h"
#include "playback/engine.h"
#include "support/test_clip.h"
#include "support/x_server.h"

namespace app {
namespace {

constexpr int32_t kFrames = 40;

// The grey level at the centre of the video area as the X server holds it.
int CentreGrey(platform::ui::MainWindow& window) {
  const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
  const QPoint centre = window.centralWidget()->geometry().center();
  return shot.isNull() ? -1 : qGreen(shot.pixel(centre));
}

// The whole program on a real window: a clip named on the command line shows its first picture,
// Space plays it to the end on the free-running clock, every frame is presented once and the last
// picture stays on screen.
TEST(Player, PlaysAClipToItsEndInARealWindow) {
  if (!testsupport::XServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
  std::string error;
  const auto server = testsupport::XServer::Start(&error);
  ASSERT_TRUE(server) << error;
  const avitest::TempDir dir;
  const std::string clip = dir.File("clip.avi");
  ASSERT_TRUE(testsupport::WriteTestClip(clip, {.width = 160, .height = 120, .frames = kFrames}));
  const std::string stats = dir.File("stats.txt");
  setenv("DISPLAY", server->Display().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  setenv("VISTREL_STATS", stats.c_str(), 1);
  testsupport::KeepSoftwareDriverLoaded();

  int firstGrey = -1;
  int lastGrey = -1;
  bool started = false;
  char program[] = "vistrel";
  std::string clipArgument = clip;
  char* argv[] = {program, clipArgument.data(), nullptr};
  const int result = RunPlayer(2, argv, [&](Shell& shell) {
    platform::ui::MainWindow& window = *shell.Window();
    playback::EngineContext& engine = shell.Engine()->Context();
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [&firstGrey, &lastGrey, &started, &window, &engine, poll] {
      if (!started) {
        firstGrey = CentreGrey(window);
        if (firstGrey <= 0) return;
        started = true;
        QTest::keyClick(&window, Qt::Key_Space);
        return;
      }
      // The first frame was shown by the open; playing presents the others.
      if (engine.playback.playing.load() != 0 || engine.playback.framesShown.load() < kFrames - 1) return;
      lastGrey = CentreGrey(window);
      poll->stop();
      window.close();
    });
    poll->start(50);
    QTimer::singleShot(30000, &window, [&window] { window.close(); });  // never hang on a failed step
  });
  unsetenv("VISTREL_STATS");
  EXPECT_EQ(result, 0);

  std::vector<int32_t> stamps;
  std::ifstream in(stats);
  std::string kind;
  int32_t stamp;
  std::string rest;
  while (in >> kind) {
    if (kind == "frame" && in >> stamp) stamps.push_back(stamp);
    std::getline(in, rest);
  }
  // The first picture was shown at the open (and perhaps redrawn at the window's first expose).
  ASSERT_GE(stamps.size(), size_t(kFrames));
  const std::vector<int32_t> played(stamps.end() - kFrames, stamps.end());
  for (int32_t f = 0; f < kFrames; ++f) EXPECT_EQ(played[size_t(f)], f * 40) << "frame " << f;
  EXPECT_GT(firstGrey, 0);
  EXPECT_GT(lastGrey, firstGrey + 20);
}

}  // namespace
}  // namespace app
