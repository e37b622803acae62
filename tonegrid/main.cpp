#include <cstdio>

#include "tonegrid/command_line.h"
#include "tonegrid/program.h"

int main(int argc, char** argv) {
  switch (tonegrid::ReadCommandLineRequest(argc, argv)) {
    case tonegrid::CommandLineRequest::kHelp:
      tonegrid::PrintUsage(stdout);
      return 0;
    case tonegrid::CommandLineRequest::kVersion:
      tonegrid::PrintVersion(stdout);
      return 0;
    case tonegrid::CommandLineRequest::kRun:
      break;
  }
  return tonegrid::RunTonegrid(argc, argv);
}
