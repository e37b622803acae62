#pragma once

#include <cstdint>

#include "platform/waveout/buffer_queue.h"

namespace platform::waveout {

// Where a device's frames go: the system's PCM or the virtual output. Called with the device's
// lock held; `played` counts the frames heard since the last reset.
class Sink {
 public:
  virtual ~Sink() = default;

  // Brings the output up to now: while `running`, hands on what it can of `queue` and
  // advances *played. False once the output is gone.
  virtual bool Advance(const BufferQueue& queue, bool running, uint64_t* played) = 0;
  // Output holds at `played`, which Advance has just brought up to date.
  virtual void Hold(uint64_t played) = 0;
  // Output resumes at `played`.
  virtual void Resume(uint64_t played) = 0;
  // Everything handed on is dropped; frames count from 0 again.
  virtual void Drop() = 0;
};

}  // namespace platform::waveout
