#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "riff/wave_format.h"

namespace platform::acm {

// The parts of a wave format that say which codec it is: its tag (an extensible format's
// sub-format tag), the extra bytes the codec reads and an extensible format's speaker mask.
struct FormatParts {
  uint16_t tag = 0;
  const uint8_t* extra = nullptr;
  size_t extraSize = 0;
  uint64_t channelMask = 0;
};

// Splits `format` (a WaveFormat followed by its cbSize extra bytes); false for an extensible
// format that is too short or whose sub-format is no format tag.
bool SplitFormat(const riff::WaveFormat* format, FormatParts* parts);

// What this layer makes of a wave format, for callers that do not see FFmpeg.
struct FormatInfo {
  uint16_t tag = 0;
  // The codec's short name in capitals ("AAC"); "unknown" when no codec has the tag.
  std::string name;
  bool decodable = false;
  // Why not, when not decodable.
  std::string refusal;
  // The codec needs its packets whole, as the container stored them: no byte stream will do.
  bool packets = false;
};

FormatInfo DescribeFormat(const riff::WaveFormat* format);

}  // namespace platform::acm
