#include "app/command_line.h"

#include <cstring>

namespace app {

CommandLineRequest ReadCommandLineRequest(int argc, char** argv) {
  if (argc != 2 || argv[1] == nullptr) return CommandLineRequest::kPlay;
  if (std::strcmp(argv[1], "--help") == 0) return CommandLineRequest::kHelp;
  if (std::strcmp(argv[1], "--version") == 0) return CommandLineRequest::kVersion;
  return CommandLineRequest::kPlay;
}

std::vector<playback::FileName> CommandLineFiles(int argc, char** argv) {
  std::vector<playback::FileName> files;
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') {
      files.push_back(playback::FileName::Narrow(argv[i]));
    }
  }
  return files;
}

}  // namespace app
