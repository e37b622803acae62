#include <gtest/gtest.h>

#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string>

#include "support/weston.h"
#include "support/x_server.h"
#include "tonegrid/pattern_window.h"
#include "tonegrid/program.h"

namespace tonegrid {
namespace {

class TonegridOnWayland : public ::testing::TestWithParam<int> {};

// The pixels where the output differs from the back buffer; -1 when the sizes differ.
int Differing(const QImage& shot, const QImage& backBuffer) {
  if (shot.size() != backBuffer.size()) return -1;
  int differing = 0;
  for (int y = 0; y < shot.height(); ++y) {
    for (int x = 0; x < shot.width(); ++x) {
      differing += (shot.pixel(x, y) & 0xFFFFFFu) != (backBuffer.pixel(x, y) & 0xFFFFFFu);
    }
  }
  return differing;
}

// The whole program under a Wayland compositor: it fills the output with the pattern one to one
// in device pixels, takes keys, and Esc ends it with the calibration saved.
TEST_P(TonegridOnWayland, FillsTheOutputAndSavesOnEscape) {
  const int scale = GetParam();
  if (!testsupport::Weston::Installed()) GTEST_SKIP() << "weston or Qt's Wayland platform is not installed";
  std::string error;
  const auto weston = testsupport::Weston::Start(scale, &error);
  ASSERT_TRUE(weston) << error;
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  weston->UseForQt();
  testsupport::KeepSoftwareDriverLoaded();
  qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
  const std::string shotPath = dir.filePath("shot.png").toStdString();

  QImage backBuffer;
  QImage shot;
  int differing = -1;
  char program[] = "tonegrid";
  char* argv[] = {program, nullptr};
  int argc = 1;
  const int result = RunTonegrid(argc, argv, [&](PatternWindow& window) {
    auto* poll = new QTimer(&window);
    int shots = 0;
    QObject::connect(poll, &QTimer::timeout, [&, poll, shots]() mutable {
      if (!window.isExposed()) return;
      if (backBuffer.isNull()) {
        // Red gamma up, then the next pattern.
        QTest::keyClick(&window, Qt::Key_PageUp);
        QTest::keyClick(&window, Qt::Key_Space);
        backBuffer = window.BackBuffer().copy();
        return;
      }
      // The compositor may still be showing the window in; the shots go on until the output
      // holds the back buffer or enough have been taken.
      if (weston->Screenshot(shotPath)) {
        shot = QImage(QString::fromStdString(shotPath)).convertToFormat(QImage::Format_RGB32);
        differing = Differing(shot, backBuffer);
      }
      if (differing == 0 || ++shots == 50) {
        poll->stop();
        QTest::keyClick(&window, Qt::Key_Escape);
      }
    });
    poll->start(100);
    QTimer::singleShot(60000, &window, [&window] { window.close(); });  // never hang on a failed step
  });
  EXPECT_EQ(result, 0);

  ASSERT_FALSE(shot.isNull()) << "weston-screenshooter failed";
  EXPECT_EQ(shot.size(), QSize(640 * scale, 480 * scale));
  EXPECT_EQ(backBuffer.size(), shot.size());
  EXPECT_EQ(differing, 0);

  QSettings settings(dir.filePath("config/vkdo/VSTL.conf"), QSettings::IniFormat);
  EXPECT_EQ(settings.value("MonRG").toInt(), 101);
  EXPECT_EQ(settings.value("MonGG").toInt(), 100);
}

INSTANTIATE_TEST_SUITE_P(Scales, TonegridOnWayland, ::testing::Values(1, 2));

}  // namespace
}  // namespace tonegrid
