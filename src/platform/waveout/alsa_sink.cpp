#include "platform/waveout/alsa_sink.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/waveout/channel_order.h"

namespace platform::waveout {
namespace {

// Frames offered to the PCM per call, which bounds the reordering buffer.
constexpr uint64_t kChunkFrames = 4096;

}  // namespace

AlsaSink::AlsaSink(std::unique_ptr<Pcm> pcm, const PcmLayout& layout)
    : pcm_(std::move(pcm)),
      blockAlign_(layout.blockAlign),
      sampleBytes_(static_cast<uint16_t>(layout.bits / 8)),
      order_(AlsaChannelOrder(layout.channels, layout.channelMask)) {
  if (!order_.empty()) reordered_.resize(kChunkFrames * blockAlign_);
}

bool AlsaSink::Advance(const BufferQueue& queue, bool running, uint64_t* played) {
  long delay = 0;
  if (const int error = pcm_->Delay(&delay); error < 0) {
    if (!Recover(error, played)) return false;
  } else {
    const auto waiting = std::min(static_cast<uint64_t>(std::max(delay, 0L)), inPcm_);
    *played = std::max(*played, sent_ - waiting);
  }
  if (!running) return true;

  while (sent_ < queue.End()) {
    const BufferQueue::Span span = queue.At(sent_);
    const uint64_t frames = std::min(span.frames, kChunkFrames);
    const uint8_t* data = span.data;
    if (!order_.empty()) {
      Reorder(span.data, frames, order_, sampleBytes_, reordered_.data());
      data = reordered_.data();
    }
    const long written = pcm_->Write(data, frames);
    if (written == -EAGAIN || written == -EINTR) break;
    if (written < 0) {
      // Feeding starts again at the next pass, on the recovered PCM.
      return Recover(static_cast<int>(written), played);
    }
    sent_ += static_cast<uint64_t>(written);
    inPcm_ += static_cast<uint64_t>(written);
    if (static_cast<uint64_t>(written) < frames) break;
  }
  return true;
}

void AlsaSink::Hold(uint64_t played) {
  pcm_->Drop();
  sent_ = played;
  inPcm_ = 0;
}

void AlsaSink::Drop() {
  pcm_->Drop();
  sent_ = 0;
  inPcm_ = 0;
}

bool AlsaSink::Recover(int error, uint64_t* played) {
  if (error != -EPIPE && error != -ESTRPIPE) return false;
  *played = std::max(*played, sent_);
  inPcm_ = 0;
  return pcm_->Recover(error) >= 0;
}

}  // namespace platform::waveout
