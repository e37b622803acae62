#pragma once

#include <cstdio>

namespace tonegrid {

// What the command line asks for; --help and --version count only as the sole argument.
enum class CommandLineRequest { kRun, kHelp, kVersion };

CommandLineRequest ReadCommandLineRequest(int argc, char** argv);

void PrintUsage(std::FILE* out);
void PrintVersion(std::FILE* out);

}  // namespace tonegrid
