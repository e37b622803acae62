#pragma once

#include <cstdint>
#include <deque>

namespace platform::waveout {

// The buffers a device holds, in play order, each placed in the run of frames queued since the
// last reset. The memory stays the writer's.
class BufferQueue {
 public:
  struct Span {
    const uint8_t* data = nullptr;
    uint64_t frames = 0;
  };

  explicit BufferQueue(uint16_t blockAlign) : blockAlign_(blockAlign) {}

  // A trailing part block is not played.
  void Add(const uint8_t* data, uint32_t bytes);
  // Frames queued since the last reset.
  uint64_t End() const { return end_; }
  // The queued frames from `frame` to the end of the buffer that holds it; none when `frame`
  // is not queued.
  Span At(uint64_t frame) const;
  // Removes the buffers that end at or before `frame`; returns how many.
  uint32_t Retire(uint64_t frame);
  // Removes every buffer and counts frames from 0 again; returns how many there were.
  uint32_t Clear();

 private:
  struct Buffer {
    const uint8_t* data;
    uint64_t first;
    uint64_t frames;
  };

  std::deque<Buffer> buffers_;
  uint16_t blockAlign_;
  uint64_t end_ = 0;
};

}  // namespace platform::waveout
