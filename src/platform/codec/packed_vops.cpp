#include "platform/codec/packed_vops.h"

#include "riff/mpeg4_vop.h"

namespace platform::codec {

namespace {

// Offsets of the first two VOP start codes (00 00 01 B6), as many as count says.
struct VopStarts {
  size_t first = 0;
  size_t second = 0;
  int count = 0;
};

VopStarts FindVops(std::span<const uint8_t> bytes) {
  VopStarts starts;
  for (size_t at = riff::NextVop(bytes.data(), bytes.size(), 0); at < bytes.size() && starts.count < 2;
       at = riff::NextVop(bytes.data(), bytes.size(), at + 4)) {
    (starts.count == 0 ? starts.first : starts.second) = at;
    ++starts.count;
  }
  return starts;
}

}  // namespace

std::span<const uint8_t> PackedVopSplitter::Next(std::span<const uint8_t> chunk) {
  const VopStarts vops = FindVops(chunk);
  if (!waiting_.empty() && vops.count < 2) {
    out_.swap(waiting_);
    waiting_.clear();
    // A lone B-VOP is the next B-frame of the run and waits in turn; anything else small, or
    // without a picture, is the placeholder.
    const bool bFrame = vops.count == 1 && riff::VopType(chunk.data(), vops.first) == riff::kVopBidirectional;
    if (bFrame || (vops.count == 1 && chunk.size() > kMaxPlaceholderBytes)) {
      waiting_.assign(chunk.begin(), chunk.end());
    }
    return out_;
  }
  // A pair while a VOP still waits means its placeholder was lost: the waiting VOP gives way,
  // as FFmpeg's unpacking filter does, so that the stream does not fall a frame behind.
  waiting_.clear();
  if (vops.count < 2) return chunk;
  waiting_.assign(chunk.begin() + static_cast<ptrdiff_t>(vops.second), chunk.end());
  return chunk.first(vops.second);
}

std::span<const uint8_t> PackedVopSplitter::Flush() {
  out_.swap(waiting_);
  waiting_.clear();
  return out_;
}

}  // namespace platform::codec
