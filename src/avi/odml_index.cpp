#include "avi/odml_index.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/format.h"
#include "common/log.h"
#include "riff/fourcc.h"

namespace avi {

using riff::LoadU16;
using riff::LoadU32;
using riff::LoadU64;

namespace {

constexpr size_t kSuperHeaderSize = 24;
constexpr size_t kSuperEntrySize = 16;
constexpr size_t kStandardHeaderSize = 32;
constexpr size_t kStandardEntrySize = 8;
constexpr uint8_t kIndexOfIndexes = 0;

// Says why the index of `stream` is not used whole; false for the caller to return.
bool Unusable(const FileView& view, uint32_t stream, const std::string& why) {
  common::LogFailure(view.Path(), common::Format("stream %u: ", stream) + why);
  return false;
}

}  // namespace

bool ReadSuperIndex(const FileView& view, uint32_t stream, const uint8_t* body, size_t size, bool video,
                    PacketTable& table, uint64_t& budget) {
  if (size < kSuperHeaderSize) {
    return Unusable(view, stream, common::Format("the indx super index of %zu bytes is too short", size));
  }
  if (LoadU16(body) != 4 || body[3] != kIndexOfIndexes) {
    return Unusable(view, stream,
                    common::Format("the indx super index has %u-long entries of index type %u, not 4-long "
                                   "entries of index type 0",
                                   LoadU16(body), body[3]));
  }
  uint64_t entries = LoadU32(body + 4);
  // Entries the body does not hold are not there.
  uint64_t present = (size - kSuperHeaderSize) / kSuperEntrySize;
  if (entries > present) entries = present;

  // The chunks that can be read whole: up to the first one that is not all inside the file or
  // beyond what the budget leaves. They are charged at once and bound the entries reserved.
  const uint64_t length = view.Length();
  uint64_t readable = 0;
  uint64_t charged = 0;
  uint64_t expected = 0;
  bool pastTheEnd = false;
  for (; readable < entries; ++readable) {
    const uint8_t* entry = body + kSuperHeaderSize + readable * kSuperEntrySize;
    uint64_t offset = LoadU64(entry);
    uint32_t chunkSize = LoadU32(entry + 8);
    pastTheEnd = offset >= length || chunkSize > length - offset;
    if (pastTheEnd || chunkSize > budget - charged) break;
    charged += chunkSize;
    if (chunkSize > kStandardHeaderSize) expected += (chunkSize - kStandardHeaderSize) / kStandardEntrySize;
  }
  budget -= charged;
  table.Reserve(static_cast<size_t>(expected));

  std::vector<uint8_t> chunk;
  for (uint64_t e = 0; e < readable; ++e) {
    const uint8_t* entry = body + kSuperHeaderSize + e * kSuperEntrySize;
    uint64_t offset = LoadU64(entry);
    uint32_t chunkSize = LoadU32(entry + 8);
    chunk.resize(chunkSize);
    if (view.Read(offset, chunkSize, chunk.data()) != chunkSize) {
      return Unusable(
          view, stream,
          common::Format("the standard index of indx entry %llu cannot be read", (unsigned long long)e));
    }
    const uint8_t* head = chunk.data();
    if (chunkSize < kStandardHeaderSize ||
        (LoadU32(head + 4) != chunkSize - 8 && LoadU32(head + 4) != chunkSize) || head[10] != 0 ||
        LoadU16(head + 8) != 2) {
      return Unusable(
          view, stream,
          common::Format("indx entry %llu does not point at a standard index of 2-long frame entries "
                         "that fills its %u bytes",
                         (unsigned long long)e, chunkSize));
    }
    uint64_t base = LoadU64(head + 20);
    size_t count = (chunkSize - kStandardHeaderSize) / kStandardEntrySize;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* item = head + kStandardHeaderSize + i * kStandardEntrySize;
      uint32_t packetOffset = LoadU32(item);
      uint32_t packetSize = LoadU32(item + 4);
      if (packetOffset == 0 && packetSize == 0) continue;
      // An offset that wraps past 2^64 points nowhere in any file.
      if (base > UINT64_MAX - packetOffset) continue;
      uint64_t at = base + packetOffset;
      // A packet has no more bytes than the file holds from its start: reads of it then never
      // come up short, and stream positions stay where the sizes put them.
      uint64_t available = at < length ? length - at : 0;
      uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(packetSize & ~kNotKeyFrame, available));
      table.Append(at, video ? bytes | (packetSize & kNotKeyFrame) : bytes);
    }
  }
  if (pastTheEnd) {
    return Unusable(
        view, stream,
        common::Format("indx entry %llu points past the end of the file", (unsigned long long)readable));
  }
  if (readable < entries) {
    common::LogFailure(view.Path(),
                       common::Format("stream %u: the indx super index lists more index data than the "
                                      "file holds; from entry %llu on it is not read",
                                      stream, (unsigned long long)readable));
  }
  return true;
}

}  // namespace avi
