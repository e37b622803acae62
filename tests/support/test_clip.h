#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi_writer/avi_writer.h"

namespace testsupport {

// A raw YV12 clip of grey pictures, each frame a little lighter than the one before.
struct ClipShape {
  int32_t width = 64;
  int32_t height = 48;
  int32_t frames = 10;
  uint32_t rate = 25;
  uint32_t scale = 1;
  bool audio = false;  // 16-bit stereo PCM at 44.1 kHz, one packet a frame, see ClipSound
  int32_t audioDelay = 0;
  std::vector<uint8_t> colourInfo{};   // the strc body, none when empty
  std::vector<int16_t> videoParams{};  // the vpar values, none when empty
  std::vector<aviwriter::Chapter> chapters{};
};

// The luma of every pixel of frame f.
uint8_t ClipLuma(int32_t frame);

// The clip's whole sound track: a sawtooth on each channel, so that any lost, repeated or
// swapped sample shows.
std::vector<uint8_t> ClipSound(const ClipShape& shape);

bool WriteTestClip(const std::string& path, const ClipShape& shape);

}  // namespace testsupport
