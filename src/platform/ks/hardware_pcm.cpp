#include "platform/ks/hardware_pcm.h"

#include <cerrno>

#include "platform/ks/filter_description.h"
#include "platform/ks/results.h"
#include "platform/waveout/alsa_pcm_handle.h"

namespace platform::ks {
namespace {

// Periods of about 10 ms, four of them: the pin's packets queue the rest.
constexpr unsigned kPeriodUs = 10000;
constexpr unsigned kPeriods = 4;

constexpr uint16_t kSampleBits[] = {8, 16, 24, 32};

// Takes exactly `layout` on `pcm`: no conversion, no resampling, small periods.
int SetUp(snd_pcm_t* pcm, const waveout::PcmLayout& layout) {
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned period = kPeriodUs;
  unsigned buffer = kPeriodUs * kPeriods;
  int error = snd_pcm_hw_params_any(pcm, hw);
  if (error >= 0) error = snd_pcm_hw_params_set_rate_resample(pcm, hw, 0);
  if (error >= 0) error = snd_pcm_hw_params_set_access(pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
  if (error >= 0) error = snd_pcm_hw_params_set_format(pcm, hw, waveout::SampleFormat(layout));
  if (error >= 0) error = snd_pcm_hw_params_set_channels(pcm, hw, layout.channels);
  if (error >= 0) error = snd_pcm_hw_params_set_rate(pcm, hw, layout.rate, 0);
  if (error >= 0) error = snd_pcm_hw_params_set_period_time_near(pcm, hw, &period, nullptr);
  if (error >= 0) error = snd_pcm_hw_params_set_buffer_time_near(pcm, hw, &buffer, nullptr);
  if (error >= 0) error = snd_pcm_hw_params(pcm, hw);
  return error;
}

}  // namespace

std::unique_ptr<waveout::Pcm> OpenHardwarePcm(const char* name, const waveout::PcmLayout& layout,
                                              int32_t* error) {
  snd_pcm_t* handle = nullptr;
  int result = waveout::OpenAlsaPlayback(&handle, name);
  if (result < 0) {
    *error = ErrorFromErrno(result);
    return nullptr;
  }
  auto pcm = std::make_unique<waveout::AlsaPcm>(handle);
  result = SetUp(handle, layout);
  // Output starts with the first frame the pin writes, which it does only while running.
  if (result < 0 || !pcm->StartAtFirstFrame()) {
    *error = ErrorFromErrno(result < 0 ? result : -EINVAL);
    return nullptr;
  }
  *error = kOk;
  return pcm;
}

std::vector<AudioDataRange> HardwareRanges(const char* name) {
  std::vector<AudioDataRange> ranges;
  snd_pcm_t* handle = nullptr;
  if (waveout::OpenAlsaPlayback(&handle, name) < 0) return ranges;
  const waveout::AlsaPcm closer(handle);  // closes the handle on every return
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned channels = 0;
  unsigned minRate = 0;
  unsigned maxRate = 0;
  if (snd_pcm_hw_params_any(handle, hw) < 0 || snd_pcm_hw_params_set_rate_resample(handle, hw, 0) < 0 ||
      snd_pcm_hw_params_set_access(handle, hw, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
      snd_pcm_hw_params_get_channels_max(hw, &channels) < 0 ||
      snd_pcm_hw_params_get_rate_min(hw, &minRate, nullptr) < 0 ||
      snd_pcm_hw_params_get_rate_max(hw, &maxRate, nullptr) < 0) {
    return ranges;
  }
  for (uint16_t bits : kSampleBits) {
    waveout::PcmLayout layout;
    layout.bits = bits;
    if (snd_pcm_hw_params_test_format(handle, hw, waveout::SampleFormat(layout)) == 0) {
      ranges.push_back(PcmRange(channels, bits, bits, minRate, maxRate));
    }
  }
  return ranges;
}

}  // namespace platform::ks
