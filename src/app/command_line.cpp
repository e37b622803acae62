#include "app/command_line.h"

namespace app {

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
