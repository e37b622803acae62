#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace platform::codec {

// DivX and XviD store MPEG-4 B-frames "packed" so that a codec without delay can show chunk f
// at frame f: a reference picture shares its chunk with the B-frame shown first after it, and
// a placeholder (a not-coded VOP, or an empty chunk) takes the reference's own slot after the
// last B-frame. This hands out one VOP a chunk instead: the second VOP of a pair waits and is
// fed with the next chunk, whose own VOP waits in turn, until a placeholder lets it through.
// Streams that are not packed pass unchanged.
class PackedVopSplitter {
 public:
  // Largest placeholder: a not-coded VOP is a few bytes.
  static constexpr size_t kMaxPlaceholderBytes = 19;

  // The bytes to feed for this chunk (none for a placeholder with nothing waiting); valid
  // until the next call.
  std::span<const uint8_t> Next(std::span<const uint8_t> chunk);
  // The VOP still waiting when no chunk follows, if any.
  std::span<const uint8_t> Flush();
  void Reset() { waiting_.clear(); }

 private:
  std::vector<uint8_t> waiting_;
  std::vector<uint8_t> out_;
};

}  // namespace platform::codec
