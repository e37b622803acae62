#pragma once

#include <cstdint>
#include <memory>

namespace platform::mixer {

// The master playback volume, as an unsigned value in the control's own range 0 … Maximum().
class Mixer {
 public:
  virtual ~Mixer() = default;

  virtual uint32_t Maximum() const = 0;
  // False when the control cannot be read.
  virtual bool GetVolume(uint32_t* value) = 0;
  // Every channel to `value`, cut to Maximum(). False when the control refused it.
  virtual bool SetVolume(uint32_t value) = 0;
};

// The master volume of the "default" control device: the sound server's where one runs, else
// the card's. Null when there is none; the device is closed when the mixer is destroyed.
// Opened at start-up, before other threads use the sound library: the library's error output
// is held back meanwhile.
std::unique_ptr<Mixer> OpenMixer();

}  // namespace platform::mixer
