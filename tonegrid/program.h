#pragma once

#include <functional>

namespace tonegrid {

class PatternWindow;

// The program: reads the calibration, shows the patterns full screen until Esc ends them and
// saves the calibration. Returns the exit code. `started`, when given, runs once the loop is
// about to start (tests use it to drive the window).
int RunTonegrid(int argc, char** argv, const std::function<void(PatternWindow&)>& started = {});

}  // namespace tonegrid
