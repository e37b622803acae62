#include "platform/waveout/alsa_pcm.h"

#include <alsa/asoundlib.h>

#include <mutex>

namespace platform::waveout {
namespace {

// Enough buffering to ride over a late feed, little enough that a pause takes effect at once.
constexpr unsigned kLatencyUs = 200000;

// ALSA prints its configuration errors on stderr; a missing device is an expected outcome here
// and the player says so itself.
void QuietErrors(const char*, int, const char*, int, const char*, ...) {}

snd_pcm_format_t SampleFormat(const PcmLayout& layout) {
  switch (layout.bits) {
    case 8:
      return SND_PCM_FORMAT_U8;
    case 16:
      return SND_PCM_FORMAT_S16_LE;
    case 24:
      return SND_PCM_FORMAT_S24_3LE;
    default:
      // Valid bits narrower than 32 sit in the upper bits, so the full width reads them right.
      return SND_PCM_FORMAT_S32_LE;
  }
}

class AlsaPcm final : public Pcm {
 public:
  explicit AlsaPcm(snd_pcm_t* pcm) : pcm_(pcm) {}
  ~AlsaPcm() override { snd_pcm_close(pcm_); }
  AlsaPcm(const AlsaPcm&) = delete;
  AlsaPcm& operator=(const AlsaPcm&) = delete;

  long Write(const uint8_t* data, unsigned long frames) override {
    return snd_pcm_writei(pcm_, data, frames);
  }
  int Delay(long* frames) override {
    snd_pcm_sframes_t delay = 0;
    const int error = snd_pcm_delay(pcm_, &delay);
    *frames = delay;
    return error;
  }
  int Recover(int error) override { return snd_pcm_recover(pcm_, error, 1); }
  void Drop() override {
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
  }

  // Starts output with the first frame written, so that short runs of sound play too.
  bool StartAtFirstFrame() {
    snd_pcm_sw_params_t* params = nullptr;
    snd_pcm_sw_params_alloca(&params);
    return snd_pcm_sw_params_current(pcm_, params) == 0 &&
           snd_pcm_sw_params_set_start_threshold(pcm_, params, 1) == 0 &&
           snd_pcm_sw_params(pcm_, params) == 0;
  }

 private:
  snd_pcm_t* pcm_;
};

}  // namespace

std::unique_ptr<Pcm> OpenAlsaPcm(const char* name, const PcmLayout& layout) {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(QuietErrors); });

  snd_pcm_t* handle = nullptr;
  if (snd_pcm_open(&handle, name, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) return nullptr;
  auto pcm = std::make_unique<AlsaPcm>(handle);
  if (snd_pcm_set_params(handle, SampleFormat(layout), SND_PCM_ACCESS_RW_INTERLEAVED, layout.channels,
                         layout.rate, 1, kLatencyUs) < 0 ||
      !pcm->StartAtFirstFrame()) {
    return nullptr;
  }
  return pcm;
}

}  // namespace platform::waveout
