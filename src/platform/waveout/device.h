#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "riff/wave_format.h"

namespace platform::waveout {

// The kinds a play position can be given in; the numbers are the ones callers store.
enum class TimeKind : uint32_t {
  kMs = 1,
  kSamples = 2,
  kBytes = 4,
  kSmpte = 8,
};

struct Smpte {
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;
  uint8_t frame = 0;
  uint8_t fps = 0;
};

// A play position: `value` in milliseconds, samples or bytes by `kind`, or `smpte`.
struct Position {
  TimeKind kind = TimeKind::kMs;
  uint64_t value = 0;
  Smpte smpte;
};

// Called once for every buffer the device has finished with, on a thread of the device's own.
using DoneCallback = std::function<void()>;

// A sound output that plays the buffers written to it in order. Any thread may call it.
// Destroying it closes it; the owner resets it first, since buffers still queued then are not
// reported.
class Device {
 public:
  virtual ~Device() = default;

  // Queues `bytes` bytes (whole sample blocks) behind everything written before. The memory
  // must stay untouched until the buffer is reported done. False once the device is gone.
  virtual bool Write(const uint8_t* data, uint32_t bytes) = 0;
  // Holds the output where it is; nothing written is lost.
  virtual void Pause() = 0;
  // Resumes held output.
  virtual void Restart() = 0;
  // Drops everything queued and sets the position to 0. Every dropped buffer has been
  // reported done when this returns.
  virtual void Reset() = 0;
  // The position heard since opening or the last reset, in `wanted` or another kind the device
  // prefers. False once the device is gone.
  virtual bool GetPosition(TimeKind wanted, Position* position) = 0;
};

// Opens the sound output for `format`: linear PCM of 8 to 32 bits and 1 to 8 channels, or its
// extensible description. VISTREL_AUDIO=virtual chooses a device that consumes in real time
// (writing what it played to the WAV file VISTREL_AUDIO_CAPTURE names, when set); otherwise
// the system's default output. Null when the format is refused or there is no device.
std::unique_ptr<Device> OpenDevice(const riff::WaveFormat* format, DoneCallback done);

}  // namespace platform::waveout
