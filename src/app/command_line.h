#pragma once

#include <vector>

#include "playback/file_name.h"

namespace app {

// The files named on the command line: every argument after the program's own name, each a
// whole file name however long, empty arguments skipped.
std::vector<playback::FileName> CommandLineFiles(int argc, char** argv);

}  // namespace app
