#pragma once

#include <cstdint>
#include <memory>

#include "platform/waveout/pcm_layout.h"

namespace platform::waveout {

// The calls the device makes on a playback PCM; results are ALSA's (negative error codes).
class Pcm {
 public:
  virtual ~Pcm() = default;

  // Writes up to `frames` interleaved frames without waiting; the frames taken or an error
  // (-EAGAIN when the PCM is full).
  virtual long Write(const uint8_t* data, unsigned long frames) = 0;
  // Frames written and not yet heard, through *frames; 0 or an error.
  virtual int Delay(long* frames) = 0;
  // Brings the PCM back after an underrun or a suspend; 0 or an error.
  virtual int Recover(int error) = 0;
  // Drops everything written and makes the PCM ready for new frames.
  virtual void Drop() = 0;
};

// The ALSA playback PCM `name` ("default" reaches the sound server where one runs) set up
// for `layout`, interleaved, converted and resampled by ALSA where the device needs it. Null
// when it cannot be opened or set up.
std::unique_ptr<Pcm> OpenAlsaPcm(const char* name, const PcmLayout& layout);

}  // namespace platform::waveout
