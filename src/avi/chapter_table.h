#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace avi {

// The chapters of a file: a copy of its `SMCH` body from the count to the end of the last
// entry's title. Entries are (frame number in the video stream's rate, title offset in the
// copy); a title is UTF-16LE behind the mark FF FE up to a 16-bit zero, or 8-bit text up to a
// zero byte.
class ChapterTable {
 public:
  // None when the body holds no entry, its entries do not fit in it, or the last title does not
  // end inside it.
  static std::optional<ChapterTable> FromChunk(const uint8_t* body, size_t size);

  size_t Count() const { return count_; }
  uint32_t Frame(size_t index) const;
  uint32_t TitleOffset(size_t index) const;
  // Whether the title starts with the UTF-16 mark.
  bool TitleIsWide(size_t index) const;
  // The title as 8-bit text (a wide title's raw bytes are not converted: empty), and as UTF-16
  // text without its mark (empty for an 8-bit title). Both stop at the end of the copy.
  std::string Title8(size_t index) const;
  std::u16string Title16(size_t index) const;
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  ChapterTable(std::vector<uint8_t> bytes, size_t count) : bytes_(std::move(bytes)), count_(count) {}

  std::vector<uint8_t> bytes_;
  size_t count_;
};

}  // namespace avi
