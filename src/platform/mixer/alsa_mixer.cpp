#include <alsa/asoundlib.h>

#include <algorithm>
#include <memory>
#include <string_view>

#include "platform/mixer/mixer.h"

namespace platform::mixer {
namespace {

struct MixerCloser {
  void operator()(snd_mixer_t* handle) const { snd_mixer_close(handle); }
};
using MixerHandle = std::unique_ptr<snd_mixer_t, MixerCloser>;

// The simple element that stands for the master volume: "Master" where the device has one
// (the sound servers' plugins and most cards), else its first playback volume.
snd_mixer_elem_t* MasterElement(snd_mixer_t* handle) {
  snd_mixer_elem_t* first = nullptr;
  for (snd_mixer_elem_t* elem = snd_mixer_first_elem(handle); elem != nullptr;
       elem = snd_mixer_elem_next(elem)) {
    if (!snd_mixer_selem_is_active(elem) || !snd_mixer_selem_has_playback_volume(elem)) {
      continue;
    }
    if (snd_mixer_selem_get_index(elem) == 0 &&
        std::string_view(snd_mixer_selem_get_name(elem)) == "Master") {
      return elem;
    }
    if (first == nullptr) {
      first = elem;
    }
  }
  return first;
}

class AlsaMixer final : public Mixer {
 public:
  AlsaMixer(MixerHandle handle, snd_mixer_elem_t* elem, long minimum, long maximum)
      : handle_(std::move(handle)), elem_(elem), minimum_(minimum), maximum_(maximum) {}

  uint32_t Maximum() const override { return static_cast<uint32_t>(maximum_ - minimum_); }

  bool GetVolume(uint32_t* value) override {
    // Changes made elsewhere (the desktop's volume control) are picked up first.
    snd_mixer_handle_events(handle_.get());
    long raw = 0;
    if (snd_mixer_selem_get_playback_volume(elem_, SND_MIXER_SCHN_FRONT_LEFT, &raw) < 0) {
      return false;
    }
    *value = static_cast<uint32_t>(std::clamp(raw, minimum_, maximum_) - minimum_);
    return true;
  }

  bool SetVolume(uint32_t value) override {
    const long raw = minimum_ + static_cast<long>(std::min(value, Maximum()));
    return snd_mixer_selem_set_playback_volume_all(elem_, raw) >= 0;
  }

 private:
  MixerHandle handle_;
  snd_mixer_elem_t* elem_;  // owned by handle_
  long minimum_;
  long maximum_;
};

void Quiet(const char*, int, const char*, int, const char*, ...) {}

// A machine without a mixer is normal (its volume keys do nothing), so the library's own
// complaints while the device is looked for are kept off the terminal.
class QuietErrors {
 public:
  QuietErrors() : previous_(snd_lib_error) { snd_lib_error_set_handler(Quiet); }
  ~QuietErrors() { snd_lib_error_set_handler(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  snd_lib_error_handler_t previous_;
};

}  // namespace

std::unique_ptr<Mixer> OpenMixer() {
  const QuietErrors quiet;
  snd_mixer_t* raw = nullptr;
  if (snd_mixer_open(&raw, 0) < 0) {
    return nullptr;
  }
  MixerHandle handle(raw);
  if (snd_mixer_attach(raw, "default") < 0 || snd_mixer_selem_register(raw, nullptr, nullptr) < 0 ||
      snd_mixer_load(raw) < 0) {
    return nullptr;
  }
  snd_mixer_elem_t* elem = MasterElement(raw);
  long minimum = 0;
  long maximum = 0;
  if (elem == nullptr || snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum) < 0 ||
      maximum <= minimum) {
    return nullptr;
  }
  return std::make_unique<AlsaMixer>(std::move(handle), elem, minimum, maximum);
}

}  // namespace platform::mixer
