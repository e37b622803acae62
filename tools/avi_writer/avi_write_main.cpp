// vistrel-avi-write: writes the demo clip, or a synthetic movie for trying the reader on
// large files.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "avi_writer/demo_clip.h"
#include "avi_writer/synthetic_movie.h"

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "demo" && argc == 3) {
    if (aviwriter::WriteDemoClip(argv[2])) return 0;
    std::fprintf(stderr, "vistrel-avi-write: cannot write %s\n", argv[2]);
    return 1;
  }
  if (mode == "synthetic" && argc == 4) {
    aviwriter::SyntheticMovie movie;
    movie.seconds = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    aviwriter::WriterOptions options;
    options.openDml = true;
    options.sparse = true;
    if (aviwriter::WriteSyntheticMovie(argv[2], movie, options)) return 0;
    std::fprintf(stderr, "vistrel-avi-write: cannot write %s\n", argv[2]);
    return 1;
  }
  std::fprintf(stderr,
               "usage: vistrel-avi-write demo OUT.avi\n"
               "       vistrel-avi-write synthetic OUT.avi SECONDS   (sparse OpenDML)\n");
  return 2;
}
