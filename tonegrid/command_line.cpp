#include "tonegrid/command_line.h"

#include <cstring>

namespace tonegrid {

CommandLineRequest ReadCommandLineRequest(int argc, char** argv) {
  if (argc != 2 || argv[1] == nullptr) return CommandLineRequest::kRun;
  if (std::strcmp(argv[1], "--help") == 0) return CommandLineRequest::kHelp;
  if (std::strcmp(argv[1], "--version") == 0) return CommandLineRequest::kVersion;
  return CommandLineRequest::kRun;
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: tonegrid\n"
      "Shows full-screen test patterns for calibrating the monitor for vistrel, and stores the\n"
      "black level, contrast and gamma of each colour channel where vistrel reads them at its\n"
      "next start. Any key but the adjusting ones shows the next pattern, B the previous one;\n"
      "Esc saves and ends.\n"
      "\n"
      "  --help     show this help and end (only as the sole argument)\n"
      "  --version  show the version and end (only as the sole argument)\n"
      "\n"
      "Settings: $XDG_CONFIG_HOME/vkdo/VSTL.conf (by default ~/.config/vkdo/VSTL.conf).\n"
      "Every key is described in tonegrid(1).\n",
      out);
}

void PrintVersion(std::FILE* out) { std::fputs("tonegrid " TONEGRID_VERSION "\n", out); }

}  // namespace tonegrid
