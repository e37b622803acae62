#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/waveout/buffer_queue.h"
#include "platform/waveout/device.h"
#include "platform/waveout/pcm_layout.h"
#include "platform/waveout/sink.h"

namespace platform::waveout {

// A device over a sink: holds the written buffers until the sink has played them, and reports
// them done from a thread of its own that feeds the sink every few milliseconds.
class QueuedDevice final : public Device {
 public:
  QueuedDevice(const PcmLayout& layout, std::unique_ptr<Sink> sink, DoneCallback done);
  ~QueuedDevice() override;
  QueuedDevice(const QueuedDevice&) = delete;
  QueuedDevice& operator=(const QueuedDevice&) = delete;

  bool Write(const uint8_t* data, uint32_t bytes) override;
  void Pause() override;
  void Restart() override;
  void Reset() override;
  // Answers in the kind asked for.
  bool GetPosition(TimeKind wanted, Position* position) override;

 private:
  void Run();
  // With mutex_ held.
  void Advance();
  void Kick();

  const PcmLayout layout_;
  std::unique_ptr<Sink> sink_;
  DoneCallback done_;

  std::mutex mutex_;
  std::condition_variable wake_;      // the device thread's
  std::condition_variable reported_;  // Reset's
  BufferQueue queue_;
  uint64_t played_ = 0;
  // Buffers finished or dropped whose report has not been made yet.
  uint32_t unreported_ = 0;
  bool paused_ = false;
  bool failed_ = false;
  bool kicked_ = false;
  bool quit_ = false;
  std::thread thread_;
};

}  // namespace platform::waveout
