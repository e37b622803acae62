#pragma once

#include <functional>

namespace app {

class Shell;

// The player's entry routine: start-up, the message loop, shut-down. Returns 1 when start-up
// failed before the loop, else 0. `started`, when given, runs once the loop is about to start
// (tests use it to look at the objects and drive the window).
int RunPlayer(int argc, char** argv, const std::function<void(Shell&)>& started = {});

}  // namespace app
