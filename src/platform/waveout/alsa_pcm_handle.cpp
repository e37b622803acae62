#include "platform/waveout/alsa_pcm_handle.h"

#include <mutex>

namespace platform::waveout {
namespace {

void QuietErrors(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

void QuietAlsaErrors() {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(QuietErrors); });
}

int OpenAlsaPlayback(snd_pcm_t** handle, const char* name) {
  QuietAlsaErrors();
  return snd_pcm_open(handle, name, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
}

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

int AlsaPcm::Delay(long* frames) {
  snd_pcm_sframes_t delay = 0;
  const int error = snd_pcm_delay(pcm_, &delay);
  *frames = delay;
  return error;
}

void AlsaPcm::Drop() {
  snd_pcm_drop(pcm_);
  snd_pcm_prepare(pcm_);
}

bool AlsaPcm::StartAtFirstFrame() {
  snd_pcm_sw_params_t* params = nullptr;
  snd_pcm_sw_params_alloca(&params);
  return snd_pcm_sw_params_current(pcm_, params) == 0 &&
         snd_pcm_sw_params_set_start_threshold(pcm_, params, 1) == 0 && snd_pcm_sw_params(pcm_, params) == 0;
}

}  // namespace platform::waveout
