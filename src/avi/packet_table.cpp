#include "avi/packet_table.h"

namespace avi {

PacketTable::PacketTable(const FileView& view) : view_(view.SubView(0, view.Length())) {}

void PacketTable::Append(uint64_t offset, uint32_t size) {
  if (entries_.size() == entries_.capacity()) {
    entries_.reserve(entries_.empty() ? kInitialCapacity : entries_.capacity() * 2);
  }
  entries_.push_back(PacketEntry{offset, size});
}

void PacketTable::Reserve(size_t count) { entries_.reserve(entries_.size() + count); }

void PacketTable::Replace(const std::vector<PacketEntry>& entries) {
  entries_ = std::vector<PacketEntry>(entries.begin(), entries.end());
}

}  // namespace avi
