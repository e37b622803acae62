#include "platform/waveout/virtual_sink.h"

#include <algorithm>
#include <utility>

namespace platform::waveout {

VirtualSink::VirtualSink(const PcmLayout& layout, std::unique_ptr<WavFile> capture)
    : layout_(layout), capture_(std::move(capture)) {
  Anchor(0);
}

bool VirtualSink::Advance(const BufferQueue& queue, bool running, uint64_t* played) {
  if (!running) return true;
  const auto now = std::chrono::steady_clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - anchorTime_).count();
  // Whole seconds first, so that the product cannot overflow however long the output runs.
  const auto seconds = static_cast<uint64_t>(elapsed / 1000000000);
  const auto rest = static_cast<uint64_t>(elapsed % 1000000000);
  uint64_t due = anchorFrame_ + seconds * layout_.rate + rest * layout_.rate / 1000000000;
  if (due >= queue.End()) {
    due = queue.End();
    Anchor(due);
  }
  due = std::max(due, *played);
  for (uint64_t frame = *played; capture_ && frame < due;) {
    const BufferQueue::Span span = queue.At(frame);
    if (span.frames == 0) break;
    const uint64_t frames = std::min(span.frames, due - frame);
    capture_->Append(span.data, frames * layout_.blockAlign);
    frame += frames;
  }
  *played = due;
  return true;
}

void VirtualSink::Anchor(uint64_t frame) {
  anchorFrame_ = frame;
  anchorTime_ = std::chrono::steady_clock::now();
}

}  // namespace platform::waveout
