#include "avi/legacy_index.h"

#include <algorithm>
#include <string>

#include "avi/chunk_ids.h"
#include "common/format.h"
#include "common/log.h"
#include "riff/fourcc.h"

namespace avi {

using riff::LoadU32;

namespace {

constexpr size_t kEntrySize = 16;
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr size_t kVideoSlot = 100;

// The slot of the table an entry id goes to: 0 to 99 for audio, kVideoSlot for video; none
// (above kVideoSlot) for anything else.
size_t SlotOf(uint32_t id) {
  if (IsVideoChunk(id)) return kVideoSlot;
  const int32_t stream = IsAudioChunk(id) ? StreamNumberOf(id) : -1;
  return stream >= 0 ? static_cast<size_t>(stream) : kVideoSlot + 1;
}

class Distributor {
 public:
  Distributor(const LegacyIndex& legacy, const FileView& view, LegacyTables& tables)
      : legacy_(legacy), view_(view), entries_(legacy.index.data() + 4) {
    count_ = legacy.index.size() > 4 ? (legacy.index.size() - 4) / kEntrySize : 0;
    for (size_t n = 0; n < tables.audio.size(); ++n) tables_[n] = tables.audio[n];
    tables_[kVideoSlot] = tables.video;
  }

  void Run(uint64_t& budget);

 private:
  // Notes an entry that does not say what its chunk is; the first one is told on stderr.
  void Note(size_t i, const std::string& what);
  PacketTable* TableOf(uint32_t id) const {
    size_t slot = SlotOf(id);
    return slot <= kVideoSlot ? tables_[slot] : nullptr;
  }
  // The entry's size, or what its chunk header says when the size runs on past it.
  uint32_t CheckedSize(size_t i);

  const LegacyIndex& legacy_;
  const FileView& view_;
  const uint8_t* entries_;
  size_t count_;
  std::array<PacketTable*, kVideoSlot + 1> tables_{};
  std::string firstProblem_;
  size_t problems_ = 0;
};

void Distributor::Note(size_t i, const std::string& what) {
  if (problems_++ == 0) firstProblem_ = common::Format("idx1 entry %zu ", i) + what;
}

uint32_t Distributor::CheckedSize(size_t i) {
  const uint8_t* entry = entries_ + i * kEntrySize;
  uint32_t size = LoadU32(entry + 12);
  uint64_t header = legacy_.base + LoadU32(entry + 8) - 4;
  uint64_t data = header + 8;
  uint64_t end = data + size;
  const uint64_t length = view_.Length();
  bool suspect = end > length || (data < legacy_.moviEnd && end > legacy_.moviEnd);
  if (!suspect && i + 1 < count_) {
    uint64_t next = legacy_.base + LoadU32(entry + kEntrySize + 8) - 4;
    suspect = next > header && end > next;
  }
  if (!suspect) return size;
  uint8_t found[8];
  if (header + sizeof found > length) {
    Note(i, "points past the end of the file");
    return 0;
  }
  if (view_.Read(header, sizeof found, found) != sizeof found || LoadU32(found) != LoadU32(entry)) {
    Note(i, "does not point at a chunk of its id");
    return 0;
  }
  uint64_t available = data < length ? length - data : 0;
  uint32_t checked = static_cast<uint32_t>(std::min<uint64_t>({size, LoadU32(found + 4), available}));
  if (checked != size) Note(i, common::Format("claims %u bytes for a chunk of %u", size, checked));
  return checked;
}

void Distributor::Run(uint64_t& budget) {
  // Count first, as far as the budget goes, so that every table is reserved once.
  std::array<size_t, kVideoSlot + 1> counts{};
  uint64_t affordable = budget / kEntrySize;
  uint64_t taken = 0;
  size_t stop = count_;
  for (size_t i = 0; i < count_; ++i) {
    uint32_t id = LoadU32(entries_ + i * kEntrySize);
    if (!TableOf(id)) continue;
    if (taken == affordable) {
      stop = i;
      break;
    }
    ++counts[SlotOf(id)];
    ++taken;
  }
  budget -= taken * kEntrySize;
  if (stop < count_) {
    common::LogFailure(view_.Path(),
                       common::Format("idx1 lists more packets than the file can hold; from entry "
                                      "%zu on they are not read",
                                      stop));
  }
  for (size_t slot = 0; slot <= kVideoSlot; ++slot) {
    if (counts[slot]) tables_[slot]->Reserve(counts[slot]);
  }

  for (size_t i = 0; i < stop; ++i) {
    const uint8_t* entry = entries_ + i * kEntrySize;
    uint32_t id = LoadU32(entry);
    PacketTable* table = TableOf(id);
    if (!table) continue;
    uint64_t offset = legacy_.base + LoadU32(entry + 8) + 4;
    uint32_t size = CheckedSize(i);
    if (SlotOf(id) == kVideoSlot) {
      bool key = (size != 0 && (LoadU32(entry + 4) & kKeyFrameFlag)) || table->Count() == 0;
      table->Append(offset, key ? size : size | kNotKeyFrame);
    } else {
      table->Append(offset, size);
    }
  }
  if (problems_ == 1) common::LogFailure(view_.Path(), firstProblem_);
  if (problems_ > 1) {
    common::LogFailure(view_.Path(),
                       common::Format("%s (and %zu more entries that do not match their chunks)",
                                      firstProblem_.c_str(), problems_ - 1));
  }
}

}  // namespace

void TakeLegacyPackets(const LegacyIndex& legacy, const FileView& view, LegacyTables& tables,
                       uint64_t& budget) {
  Distributor(legacy, view, tables).Run(budget);
}

}  // namespace avi
