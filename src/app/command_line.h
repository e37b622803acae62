#pragma once

#include <vector>

#include "playback/file_name.h"

namespace app {

// What the command line asks for. --help and --version count only as the sole argument, so
// that any other argument, even one spelt like an option, stays a file name.
enum class CommandLineRequest { kPlay, kHelp, kVersion };

CommandLineRequest ReadCommandLineRequest(int argc, char** argv);

// The files named on the command line: every argument after the program's own name, each a
// whole file name however long, empty arguments skipped.
std::vector<playback::FileName> CommandLineFiles(int argc, char** argv);

}  // namespace app
