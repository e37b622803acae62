#pragma once

#include <alsa/asoundlib.h>

#include "platform/waveout/alsa_pcm.h"
#include "platform/waveout/pcm_layout.h"

namespace platform::waveout {

// Keeps ALSA from printing its configuration errors on stderr: a missing or busy device is an
// expected outcome here, and the player says so itself.
void QuietAlsaErrors();

// Opens the playback PCM `name` without waiting on it, ALSA's errors kept quiet; 0 or an error.
int OpenAlsaPlayback(snd_pcm_t** handle, const char* name);

// The ALSA sample format of `layout`'s samples.
snd_pcm_format_t SampleFormat(const PcmLayout& layout);

// A Pcm over an open ALSA handle, which it closes.
class AlsaPcm final : public Pcm {
 public:
  explicit AlsaPcm(snd_pcm_t* pcm) : pcm_(pcm) {}
  ~AlsaPcm() override { snd_pcm_close(pcm_); }
  AlsaPcm(const AlsaPcm&) = delete;
  AlsaPcm& operator=(const AlsaPcm&) = delete;

  long Write(const uint8_t* data, unsigned long frames) override {
    return snd_pcm_writei(pcm_, data, frames);
  }
  int Delay(long* frames) override;
  int Recover(int error) override { return snd_pcm_recover(pcm_, error, 1); }
  void Drop() override;

  snd_pcm_t* Handle() const { return pcm_; }
  // Starts output with the first frame written, so that short runs of sound play too.
  bool StartAtFirstFrame();

 private:
  snd_pcm_t* pcm_;
};

}  // namespace platform::waveout
