#pragma once

#include <cstdint>
#include <vector>

#include "avi/packet_table.h"

namespace avi {

// Packets from an `idx1` index. `index` holds the chunk's size field and then its body, as
// read; only whole 16-byte entries count. A packet's data lies at base + dwOffset + 4: base is
// the position behind the `movi` list type when the offsets count from that FOURCC, as usual.

// Every entry of type dc or db, of any stream number; the first one, and every one flagged
// as key frame with data, is a key frame.
void TakeLegacyVideo(const std::vector<uint8_t>& index, uint64_t base, PacketTable& table);
// Every entry whose id is the stream number as two digits followed by "wb".
void TakeLegacyAudio(const std::vector<uint8_t>& index, uint64_t base, uint32_t streamNumber,
                     PacketTable& table);

}  // namespace avi
