#include "app/shell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/entry.h"
#include "platform/system/system.h"
#include "platform/ui/main_window.h"
#include "temp_config_home.h"

namespace app {
namespace {

int ThreadCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

// The whole program, offscreen: it starts, File > Exit (Alt+F, X) ends it, no thread is left
// behind and the store then holds the saved values.
TEST(Shell, StartsAndExitsThroughTheFileMenu) {
  testing::RemoveSettingsFile();
  const int threadsBefore = ThreadCount();
  char program[] = "vistrel";
  char* argv[] = {program, nullptr};
  QString title;
  QStringList menus;
  bool windowedSurfaces = false;
  const int result = RunPlayer(1, argv, [&](Shell& shell) {
    const playback::DisplayObjects& display = shell.Display();
    windowedSurfaces = display.device != nullptr && display.primary != nullptr &&
                       display.clipper != nullptr && display.clipper->IsBound();
    platform::ui::MainWindow& window = *shell.Window();
    title = window.windowTitle();
    for (QAction* action : window.menuBar()->actions()) {
      menus << action->text();
    }
    QTimer::singleShot(10000, [] { QApplication::quit(); });  // Never hang on a failed step.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    QTimer::singleShot(50, [] {
      QWidget* popup = QApplication::activePopupWidget();
      ASSERT_NE(popup, nullptr);
      QTest::keyClick(popup, Qt::Key_X);
    });
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(title, "Vistrel");
  EXPECT_TRUE(windowedSurfaces);
  EXPECT_EQ(menus, (QStringList{"&File", "&Playback"}));
  EXPECT_EQ(ThreadCount(), threadsBefore);
  const std::string text = testing::ReadSettingsFile();
  EXPECT_NE(text.find("Saturation=100"), std::string::npos);
  EXPECT_NE(text.find("Priority=" + std::to_string(platform::system::GetProcessPriorityClass())),
            std::string::npos);
  EXPECT_EQ(text.find("NTAP"), std::string::npos);
}

}  // namespace
}  // namespace app
