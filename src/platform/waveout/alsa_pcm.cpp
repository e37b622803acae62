#include "platform/waveout/alsa_pcm.h"

#include "platform/waveout/alsa_pcm_handle.h"

namespace platform::waveout {
namespace {

// Enough buffering to ride over a late feed, little enough that a pause takes effect at once.
constexpr unsigned kLatencyUs = 200000;

}  // namespace

std::unique_ptr<Pcm> OpenAlsaPcm(const char* name, const PcmLayout& layout) {
  snd_pcm_t* handle = nullptr;
  if (OpenAlsaPlayback(&handle, name) < 0) return nullptr;
  auto pcm = std::make_unique<AlsaPcm>(handle);
  if (snd_pcm_set_params(handle, SampleFormat(layout), SND_PCM_ACCESS_RW_INTERLEAVED, layout.channels,
                         layout.rate, 1, kLatencyUs) < 0 ||
      !pcm->StartAtFirstFrame()) {
    return nullptr;
  }
  return pcm;
}

}  // namespace platform::waveout
