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
// the pin runs, in ALSA's channel order, and completes each once the PCM has taken all its
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
    uint64_t framesDone;
  };

  void Run();
  // With mutex_ held: hands the PCM what it takes of the front packet; false when it took
  // nothing, so the writer waits a little.
  bool Feed();
  // With mutex_ held.
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
  uint32_t state_;
  bool failed_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace platform::ks
