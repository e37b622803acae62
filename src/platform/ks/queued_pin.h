#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/ks/device_tree.h"
#include "platform/waveout/alsa_pcm.h"
#include "platform/waveout/pcm_layout.h"

namespace platform::ks {

// A render pin over a PCM. A thread of the pin's own writes the queued packets to the PCM while
// the pin runs, in ALSA's channel order, and completes each once the PCM has played all its
// frames. Pausing stops the writing (what the PCM holds plays out, a few milliseconds);
// stopping drops what the PCM holds and completes every queued packet as aborted. A PCM that
// cannot be brought back fails the queued packets and every later write.
class QueuedPin final : public Pin {
 public:
  QueuedPin(std::unique_ptr<waveout::Pcm> pcm, const waveout::PcmLayout& layout);
  ~QueuedPin() override;
  QueuedPin(const QueuedPin&) = delete;
  QueuedPin& operator=(const QueuedPin&) = delete;

  // The connection state, to get or set.
  int32_t Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                   uint32_t* returned) override;
  int32_t Write(StreamHeader& header, WriteCompletion& completion) override;

 private:
  struct Queued {
    StreamHeader* header;
    WriteCompletion* completion;
    uint64_t framesSent;
    uint64_t end;  // frames sent since the last stop once its last frame was sent
  };

  void Run();
  // With mutex_ held. Hands the PCM what it takes of the packets not yet sent whole.
  void Feed();
  // Completes the packets the PCM has played.
  void Retire();
  // After an error of the PCM: false, with every packet failed, when it cannot be brought back.
  bool Recovered(int error);
  void CompleteFront(int32_t result);
  void CompleteAll(int32_t result);
  int32_t SetState(uint32_t state);

  const std::unique_ptr<waveout::Pcm> pcm_;
  const uint16_t blockAlign_;
  const uint16_t sampleBytes_;
  const std::vector<uint8_t> order_;  // empty when no reordering is needed
  std::vector<uint8_t> reordered_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Queued> queue_;
  size_t sending_ = 0;  // the queue's packets before this have been sent whole
  uint64_t sent_ = 0;   // frames handed to the PCM since the last stop
  uint32_t state_;
  bool failed_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace platform::ks
