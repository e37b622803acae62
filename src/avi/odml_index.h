#pragma once

#include <cstddef>
#include <cstdint>

#include "avi/file_view.h"
#include "avi/packet_table.h"

namespace avi {

// Reads the standard index chunks that an `indx` super index body of stream `stream` points to
// and appends their packets to `table`. Video keeps bit 31 of each size (not a key frame); audio
// clears it. No size reaches past the end of the file.
// `budget` is the number of index bytes the file still allows to be read: the chunks to be
// read are charged to it before the table is reserved for them, so that all tables together
// hold no more entries than the file has bytes for; chunks beyond it are not read.
// Returns false, after saying why on stderr, when the index cannot be used whole: a super index
// that is not an index of 4-long entries, a chunk that lies past the end of the file, or a
// standard index whose size, field or entry-size check fails. The packets of the chunks read
// before stay in the table.
bool ReadSuperIndex(const FileView& view, uint32_t stream, const uint8_t* body, size_t size, bool video,
                    PacketTable& table, uint64_t& budget);

}  // namespace avi
