#include "platform/waveout/buffer_queue.h"

namespace platform::waveout {

void BufferQueue::Add(const uint8_t* data, uint32_t bytes) {
  const uint64_t frames = bytes / blockAlign_;
  buffers_.push_back({data, end_, frames});
  end_ += frames;
}

BufferQueue::Span BufferQueue::At(uint64_t frame) const {
  for (const Buffer& buffer : buffers_) {
    if (frame >= buffer.first && frame < buffer.first + buffer.frames) {
      const uint64_t skipped = frame - buffer.first;
      return {buffer.data + skipped * blockAlign_, buffer.frames - skipped};
    }
  }
  return {};
}

uint32_t BufferQueue::Retire(uint64_t frame) {
  uint32_t retired = 0;
  while (!buffers_.empty() && buffers_.front().first + buffers_.front().frames <= frame) {
    buffers_.pop_front();
    ++retired;
  }
  return retired;
}

uint32_t BufferQueue::Clear() {
  const auto count = static_cast<uint32_t>(buffers_.size());
  buffers_.clear();
  end_ = 0;
  return count;
}

}  // namespace platform::waveout
