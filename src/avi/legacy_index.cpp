#include "avi/legacy_index.h"

#include "avi/fourcc.h"

namespace avi {

namespace {

constexpr size_t kEntrySize = 16;
constexpr uint32_t kKeyFrameFlag = 0x10;

size_t EntryCount(const std::vector<uint8_t>& index) {
  return index.size() > 4 ? (index.size() - 4) / kEntrySize : 0;
}

bool IsVideoChunk(uint32_t id) {
  uint32_t type = id >> 16;
  return type == (MakeFourcc("00dc") >> 16) || type == (MakeFourcc("00db") >> 16);
}

}  // namespace

void TakeLegacyVideo(const std::vector<uint8_t>& index, uint64_t base, PacketTable& table) {
  size_t count = EntryCount(index);
  const uint8_t* entries = index.data() + 4;
  size_t taken = 0;
  for (size_t i = 0; i < count; ++i) taken += IsVideoChunk(LoadU32(entries + i * kEntrySize));
  table.Reserve(taken);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = entries + i * kEntrySize;
    if (!IsVideoChunk(LoadU32(entry))) continue;
    uint32_t flags = LoadU32(entry + 4);
    uint32_t size = LoadU32(entry + 12);
    bool key = (size != 0 && (flags & kKeyFrameFlag)) || table.Count() == 0;
    table.Append(base + LoadU32(entry + 8) + 4, key ? size : size | kNotKeyFrame);
  }
}

void TakeLegacyAudio(const std::vector<uint8_t>& index, uint64_t base, uint32_t streamNumber,
                     PacketTable& table) {
  if (streamNumber > 99) return;
  char code[5] = {static_cast<char>('0' + streamNumber / 10), static_cast<char>('0' + streamNumber % 10), 'w',
                  'b', 0};
  uint32_t id = MakeFourcc(code);
  size_t count = EntryCount(index);
  const uint8_t* entries = index.data() + 4;
  size_t taken = 0;
  for (size_t i = 0; i < count; ++i) taken += LoadU32(entries + i * kEntrySize) == id;
  table.Reserve(taken);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = entries + i * kEntrySize;
    if (LoadU32(entry) == id) table.Append(base + LoadU32(entry + 8) + 4, LoadU32(entry + 12));
  }
}

}  // namespace avi
