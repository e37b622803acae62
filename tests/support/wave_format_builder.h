#pragma once

#include <cstdint>
#include <vector>

#include "riff/wave_format.h"

namespace testsupport {

// The bytes of a `strf` audio format: the fixed part followed by `extra`, as a stream stores
// them. cbSize is written as given, so a format may claim more extra bytes than it has.
inline std::vector<uint8_t> WaveFormatBytes(const riff::WaveFormat& format,
                                            const std::vector<uint8_t>& extra = {}) {
  const auto* head = reinterpret_cast<const uint8_t*>(&format);
  std::vector<uint8_t> bytes(head, head + sizeof format);
  bytes.insert(bytes.end(), extra.begin(), extra.end());
  return bytes;
}

}  // namespace testsupport
