#pragma once

#include "platform/mixer/mixer.h"

namespace app::testing {

// A master volume held in memory; `readable` false makes every read fail.
class FakeMixer final : public platform::mixer::Mixer {
 public:
  explicit FakeMixer(uint32_t maximum) : maximum_(maximum) {}

  uint32_t Maximum() const override { return maximum_; }
  bool GetVolume(uint32_t* value) override {
    *value = volume;
    return readable;
  }
  bool SetVolume(uint32_t value) override {
    volume = value < maximum_ ? value : maximum_;
    ++writes;
    return true;
  }

  uint32_t volume = 0;
  bool readable = true;
  int writes = 0;

 private:
  uint32_t maximum_;
};

}  // namespace app::testing
