#pragma once

#include <cstdint>

namespace avi {

// Bit 31 of a video packet's size marks a packet that is not a key frame.
inline constexpr uint32_t kNotKeyFrame = 0x80000000u;

// One packet of a stream: where its data starts in the file and how many bytes it has.
struct PacketEntry {
  uint64_t offset;
  uint32_t size;
};

}  // namespace avi
