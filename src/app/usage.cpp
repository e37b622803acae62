#include "app/usage.h"

namespace app {

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: vistrel [FILE]...\n"
      "Plays AVI files with an exact colour model. Each FILE is opened in turn; the last one\n"
      "stays loaded. Space plays, S stops, Alt+Enter toggles full screen.\n"
      "\n"
      "  --help     show this help and end (only as the sole argument)\n"
      "  --version  show the version and end (only as the sole argument)\n"
      "\n"
      "Settings: $XDG_CONFIG_HOME/vkdo/VSTL.conf (by default ~/.config/vkdo/VSTL.conf).\n"
      "Environment:\n"
      "  VISTREL_AUDIO=virtual      play the sound to a virtual output instead of ALSA\n"
      "  VISTREL_AUDIO_CAPTURE=WAV  with the virtual output, write what it played to WAV\n"
      "  VISTREL_STATS=FILE         append one line per presented frame and per second\n"
      "  VISTREL_DISPLAY=MODE       opengl, software or memory: how pictures are presented\n"
      "\n"
      "Every key and setting is described in vistrel(1).\n",
      out);
}

void PrintVersion(std::FILE* out) { std::fputs("vistrel " VISTREL_VERSION "\n", out); }

}  // namespace app
