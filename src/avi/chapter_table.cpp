#include "avi/chapter_table.h"

#include "riff/fourcc.h"

namespace avi {

using riff::LoadU16;
using riff::LoadU32;

namespace {

constexpr size_t kEntrySize = 8;

bool HasWideMark(const uint8_t* bytes, size_t size, size_t offset) {
  return offset + 2 <= size && bytes[offset] == 0xFF && bytes[offset + 1] == 0xFE;
}

// The end of the title at offset (behind its terminator), or 0 when it does not end in size.
size_t TitleEnd(const uint8_t* bytes, size_t size, size_t offset) {
  if (HasWideMark(bytes, size, offset)) {
    for (size_t p = offset + 2; p + 2 <= size; p += 2) {
      if (bytes[p] == 0 && bytes[p + 1] == 0) return p + 2;
    }
    return 0;
  }
  for (size_t p = offset; p < size; ++p) {
    if (bytes[p] == 0) return p + 1;
  }
  return 0;
}

}  // namespace

std::optional<ChapterTable> ChapterTable::FromChunk(const uint8_t* body, size_t size) {
  if (size < 4) return std::nullopt;
  uint64_t count = LoadU32(body);
  if (count == 0 || count > (size - 4) / kEntrySize) return std::nullopt;
  uint32_t lastOffset = LoadU32(body + 4 + (count - 1) * kEntrySize + 4);
  if (lastOffset >= size) return std::nullopt;
  size_t end = TitleEnd(body, size, lastOffset);
  if (end == 0) return std::nullopt;
  // The entries themselves must lie inside the copy.
  size_t entriesEnd = 4 + static_cast<size_t>(count) * kEntrySize;
  if (end < entriesEnd) end = entriesEnd;
  return ChapterTable(std::vector<uint8_t>(body, body + end), static_cast<size_t>(count));
}

uint32_t ChapterTable::Frame(size_t index) const {
  return index < count_ ? LoadU32(bytes_.data() + 4 + index * kEntrySize) : 0;
}

uint32_t ChapterTable::TitleOffset(size_t index) const {
  return index < count_ ? LoadU32(bytes_.data() + 4 + index * kEntrySize + 4) : 0;
}

bool ChapterTable::TitleIsWide(size_t index) const {
  return index < count_ && HasWideMark(bytes_.data(), bytes_.size(), TitleOffset(index));
}

std::string ChapterTable::Title8(size_t index) const {
  std::string title;
  if (index >= count_ || TitleIsWide(index)) return title;
  for (size_t p = TitleOffset(index); p < bytes_.size() && bytes_[p] != 0; ++p) {
    title += static_cast<char>(bytes_[p]);
  }
  return title;
}

std::u16string ChapterTable::Title16(size_t index) const {
  std::u16string title;
  if (!TitleIsWide(index)) return title;
  for (size_t p = size_t{TitleOffset(index)} + 2; p + 2 <= bytes_.size(); p += 2) {
    char16_t c = static_cast<char16_t>(LoadU16(bytes_.data() + p));
    if (c == 0) break;
    title += c;
  }
  return title;
}

}  // namespace avi
