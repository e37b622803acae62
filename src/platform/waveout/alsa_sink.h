#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/waveout/alsa_pcm.h"
#include "platform/waveout/pcm_layout.h"
#include "platform/waveout/sink.h"

namespace platform::waveout {

// Plays through an ALSA PCM. The position is what was sent less what the PCM still holds;
// an underrun means everything sent was heard, so recovering from one keeps the position.
// Holding drops what the PCM holds and sends it again on resuming.
class AlsaSink final : public Sink {
 public:
  AlsaSink(std::unique_ptr<Pcm> pcm, const PcmLayout& layout);

  bool Advance(const BufferQueue& queue, bool running, uint64_t* played) override;
  void Hold(uint64_t played) override;
  void Resume(uint64_t played) override {}
  void Drop() override;

 private:
  // After an underrun or suspend (else false): what was sent counts as heard.
  bool Recover(int error, uint64_t* played);

  std::unique_ptr<Pcm> pcm_;
  uint16_t blockAlign_;
  uint16_t sampleBytes_;
  std::vector<uint8_t> order_;  // empty when no reordering is needed
  std::vector<uint8_t> reordered_;
  uint64_t sent_ = 0;   // frames handed to the PCM since the last reset
  uint64_t inPcm_ = 0;  // of those, the ones sent since it was last emptied
};

}  // namespace platform::waveout
