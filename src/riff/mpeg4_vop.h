#pragma once

#include <cstddef>
#include <cstdint>

namespace riff {

// The coding types of an MPEG-4 Part 2 video object plane.
inline constexpr int kVopIntra = 0;
inline constexpr int kVopBidirectional = 2;

// The offset of the first VOP start code (00 00 01 B6) at or after `from` that is followed by
// its coding type byte, or `size` when there is none.
inline size_t NextVop(const uint8_t* data, size_t size, size_t from) {
  for (size_t i = from; i + 4 < size; ++i) {
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && data[i + 3] == 0xB6) return i;
  }
  return size;
}

// The coding type of the VOP whose start code NextVop found at `at`: the two bits behind it.
inline int VopType(const uint8_t* data, size_t at) { return data[at + 4] >> 6; }

}  // namespace riff
