#pragma once

#include <cstdint>
#include <vector>

#include "avi/packet_table.h"

namespace avi {

// Packets from an `idx1` index. `index` holds the chunk's size field and then its body, as
// read; only whole 16-byte entries count. Offsets count from the `movi` list type, so a
// packet's data lies at moviBase + dwOffset + 4 (moviBase being the position behind it).

// Every entry of type dc or db, of any stream number; the first one, and every one flagged
// as key frame with data, is a key frame.
void TakeLegacyVideo(const std::vector<uint8_t>& index, uint64_t moviBase, PacketTable& table);
// Every entry whose id is the stream number as two digits followed by "wb".
void TakeLegacyAudio(const std::vector<uint8_t>& index, uint64_t moviBase, uint32_t streamNumber,
                     PacketTable& table);

}  // namespace avi
