#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/file_view.h"
#include "avi/packet_entry.h"

namespace avi {

// The packets of one stream in file index order, with the view their data is read through.
class PacketTable {
 public:
  // Takes its own view of the whole of `view`.
  explicit PacketTable(const FileView& view);

  void Append(uint64_t offset, uint32_t size);
  // Makes room for `count` more entries at once, so that a table of known size is built
  // without over-allocation.
  void Reserve(size_t count);
  // Replaces every entry by `entries`, holding no more room than they take.
  void Replace(const std::vector<PacketEntry>& entries);

  size_t Count() const { return entries_.size(); }
  // The stored size of entry j, bit 31 included.
  uint32_t Size(size_t j) const { return entries_[j].size; }
  const PacketEntry& operator[](size_t j) const { return entries_[j]; }
  const PacketEntry* Entries() const { return entries_.data(); }
  size_t Capacity() const { return entries_.capacity(); }
  const FileView& View() const { return view_; }

 private:
  static constexpr size_t kInitialCapacity = 10;

  FileView view_;
  std::vector<PacketEntry> entries_;
};

}  // namespace avi
