#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/commands.h"
#include "app/entry.h"
#include "app/shell.h"
#include "support/temp_dir.h"
#include "common/settings.h"
#include "platform/ui/main_window.h"
#include "playback/engine.h"
#include "support/test_clip.h"
#include "temp_config_home.h"

namespace app {
namespace {

// Runs the whole player offscreen with `settings` stored, hands the started shell to `drive`,
// then ends it and returns the settings file it saved.
std::string RunWith(const std::string& settings, const std::function<void(Shell&)>& drive) {
  testing::WriteSettingsFile("[General]\n" + settings);
  char program[] = "vistrel";
  char* argv[] = {program, nullptr};
  RunPlayer(1, argv, [&](Shell& shell) {
    QTimer::singleShot(10000, [] { QApplication::quit(); });  // never hang on a failed step
    drive(shell);
    shell.Window()->close();
  });
  return testing::ReadSettingsFile();
}

void Press(Shell& shell, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(shell.Window(), key, modifiers);
}

TEST(ShellCommands, PictureKeysStepWithinTheirBoundsAndAreSaved) {
  const std::string saved = RunWith("Brightness=498\nCGamma=7\nRGamma=30\nResizeType=7\n", [](Shell& shell) {
    Press(shell, Qt::Key_Insert);
    QTest::keyClick(shell.Window(), '/');
    Press(shell, Qt::Key_Insert, Qt::ControlModifier);
    Press(shell, Qt::Key_T);
    Press(shell, Qt::Key_Right, Qt::ControlModifier);
    Press(shell, Qt::Key_Right, Qt::ControlModifier);
  });
  EXPECT_NE(saved.find("Brightness=500"), std::string::npos);
  EXPECT_NE(saved.find("CGamma=5"), std::string::npos);
  EXPECT_NE(saved.find("RGamma=30"), std::string::npos);
  EXPECT_NE(saved.find("ResizeType=7"), std::string::npos);
  EXPECT_NE(saved.find("AVSync=10"), std::string::npos);
}

TEST(ShellCommands, DebugDumpKeepsOneLine) {
  const auto dir = std::filesystem::temp_directory_path() / "vistrel-dump-test";
  std::filesystem::create_directories(dir);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  RunWith("", [](Shell& shell) {
    Press(shell, Qt::Key_D, Qt::ControlModifier);
    Press(shell, Qt::Key_D, Qt::ControlModifier);
  });
  std::filesystem::current_path(previous);
  std::ifstream in(dir / "debug.txt");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove_all(dir);
  EXPECT_EQ(text.rfind("myGetTime = 0, debug1 = ", 0), 0u) << text;
  EXPECT_EQ(text.find("myGetTime", 1), std::string::npos);
}

TEST(ShellCommands, DroppedFilesOpenInTurnAndTheLastStays) {
  const testsupport::TempDir dir;
  std::vector<std::string> clips;
  for (int32_t width : {64, 96, 128}) {
    clips.push_back(dir.File("clip" + std::to_string(width) + ".avi"));
    ASSERT_TRUE(testsupport::WriteTestClip(clips.back(), {.width = width, .height = 48, .frames = 2}));
  }
  std::array<int32_t, 2> shown{};
  RunWith("", [&](Shell& shell) {
    std::vector<std::u16string> paths;
    for (const std::string& clip : clips) paths.emplace_back(clip.begin(), clip.end());
    shell.Window()->onDrop(paths);
    shown = shell.Engine()->OutputSize();
  });
  EXPECT_EQ(shown, (std::array<int32_t, 2>{128, 48}));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

// A window that loses the focus is still on screen: only in full screen does it stop showing.
TEST(ShellWindowStates, LosingTheFocusHidesOnlyAFullScreenPicture) {
  std::vector<int32_t> states;
  RunWith("", [&](Shell& shell) {
    const auto state = [&shell] { return shell.Engine()->Context().presentation.windowState.load(); };
    shell.Window()->onActive(false);
    states.push_back(state());
    shell.OnCommand(kCmdFullScreen);
    shell.Window()->onActive(false);
    states.push_back(state());
    shell.Window()->onActive(true);
    states.push_back(state());
    shell.OnCommand(kCmdFullScreen);
    shell.Window()->onMenu(true);
    states.push_back(state());
    shell.Window()->onMenu(false);
    states.push_back(state());
  });
  EXPECT_EQ(states,
            (std::vector<int32_t>{playback::kWindowNormal, playback::kWindowHidden, playback::kWindowNormal,
                                  playback::kWindowMenu, playback::kWindowNormal}));
}

}  // namespace
}  // namespace app
