#pragma once

#include <functional>

namespace platform::ui {
class MainWindow;
}

namespace app {

// The player's entry routine: start-up, the message loop, shut-down. Returns 1 when start-up
// failed before the loop, else 0. `started`, when given, runs once the loop is about to start
// (tests use it to drive the window).
int RunPlayer(int argc, char** argv, const std::function<void(platform::ui::MainWindow&)>& started = {});

}  // namespace app
