#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "platform/waveout/pcm_layout.h"
#include "platform/waveout/sink.h"
#include "platform/waveout/wav_file.h"

namespace platform::waveout {

// An output without hardware: consumes the queued frames at the layout's rate by the steady
// clock, writing what it consumed to `capture` when there is one. When the queue runs dry it
// waits, and counts time again from the next frame written.
class VirtualSink final : public Sink {
 public:
  VirtualSink(const PcmLayout& layout, std::unique_ptr<WavFile> capture);

  bool Advance(const BufferQueue& queue, bool running, uint64_t* played) override;
  void Hold(uint64_t played) override {}
  void Resume(uint64_t played) override { Anchor(played); }
  void Drop() override { Anchor(0); }

 private:
  void Anchor(uint64_t frame);

  PcmLayout layout_;
  std::unique_ptr<WavFile> capture_;
  // The output was at anchorFrame_ at anchorTime_ and has played on since.
  uint64_t anchorFrame_ = 0;
  std::chrono::steady_clock::time_point anchorTime_;
};

}  // namespace platform::waveout
