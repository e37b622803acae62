#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "avi/file_view.h"
#include "avi/packet_table.h"

namespace avi {

// Where an `idx1` index and the chunks it lists lie. `index` holds the chunk's size field and
// then its body, as read; only whole 16-byte entries count. A packet's data lies at base +
// dwOffset + 4: base is the position behind the `movi` list type when the offsets count from
// that FOURCC, as usual. `moviEnd` is the end of that list (0 when unknown).
struct LegacyIndex {
  const std::vector<uint8_t>& index;
  uint64_t base;
  uint64_t moviEnd;
};

// The tables that take packets from the index: every entry of type dc or db, of any stream
// number, goes to `video` (the first one, and every one flagged as key frame with data, is a key
// frame); every entry whose id is a stream number nn as two digits followed by "wb" goes to
// audio[nn]. Tables left null take nothing.
struct LegacyTables {
  PacketTable* video = nullptr;
  std::array<PacketTable*, 100> audio{};
};

// Hands out the index's entries in one pass. Each table is reserved once at its size, charged
// to `budget` at 16 bytes an entry (the size of the entries in the file). A size that would run
// past the end of the file or of the movi list, or into the next chunk listed, is checked
// against the chunk header it points at: the header's own size stands, and an entry whose
// header is missing or of another chunk keeps its place with no data. What does not match is
// said on stderr, once for the whole index.
void TakeLegacyPackets(const LegacyIndex& legacy, const FileView& view, LegacyTables& tables,
                       uint64_t& budget);

}  // namespace avi
