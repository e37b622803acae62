#pragma once

#include <cstdint>
#include <string>

#include "avi_writer/avi_writer.h"

namespace aviwriter {

// A movie of made-up packets for index tests and benchmarks, usually written sparse: 25 fps
// video with a key frame every 250 frames and 128 kbit/s MPEG Layer III audio at 44.1 kHz,
// one packet a frame (about 38 a second).
struct SyntheticMovie {
  uint32_t seconds = 60;
  uint32_t keyFrameBytes = 60000;
  uint32_t frameBytes = 8000;
};

// `packets` receives where each stream's packets went.
bool WriteSyntheticMovie(const std::string& path, const SyntheticMovie& movie, WriterOptions options,
                         std::vector<std::vector<avi::PacketEntry>>* packets = nullptr);

}  // namespace aviwriter
