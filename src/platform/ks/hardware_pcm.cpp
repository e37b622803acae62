#include "platform/ks/hardware_pcm.h"

#include <alsa/asoundlib.h>

#include <mutex>

#include "platform/ks/filter_description.h"
#include "platform/ks/results.h"

namespace platform::ks {
namespace {

// Periods of about 10 ms, four of them: the pin's packets queue the rest.
constexpr unsigned kPeriodUs = 10000;
constexpr unsigned kPeriods = 4;

struct SampleWidth {
  uint16_t bits;
  snd_pcm_format_t format;
};
// Valid bits narrower than 32 sit in the upper bits, so the full width reads them right.
constexpr SampleWidth kWidths[] = {{8, SND_PCM_FORMAT_U8},
                                   {16, SND_PCM_FORMAT_S16_LE},
                                   {24, SND_PCM_FORMAT_S24_3LE},
                                   {32, SND_PCM_FORMAT_S32_LE}};

void QuietErrors(const char*, int, const char*, int, const char*, ...) {}

int OpenQuietly(snd_pcm_t** handle, const char* name) {
  QuietAlsaErrors();
  return snd_pcm_open(handle, name, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
}

class HardwarePcm final : public waveout::Pcm {
 public:
  explicit HardwarePcm(snd_pcm_t* pcm) : pcm_(pcm) {}
  ~HardwarePcm() override { snd_pcm_close(pcm_); }
  HardwarePcm(const HardwarePcm&) = delete;
  HardwarePcm& operator=(const HardwarePcm&) = delete;

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

  int SetUp(const waveout::PcmLayout& layout) {
    snd_pcm_format_t format = SND_PCM_FORMAT_UNKNOWN;
    for (const SampleWidth& width : kWidths) {
      if (width.bits == layout.bits) format = width.format;
    }
    snd_pcm_hw_params_t* hw = nullptr;
    snd_pcm_hw_params_alloca(&hw);
    unsigned period = kPeriodUs;
    unsigned buffer = kPeriodUs * kPeriods;
    int error = snd_pcm_hw_params_any(pcm_, hw);
    if (error >= 0) error = snd_pcm_hw_params_set_rate_resample(pcm_, hw, 0);
    if (error >= 0) error = snd_pcm_hw_params_set_access(pcm_, hw, SND_PCM_ACCESS_RW_INTERLEAVED);
    if (error >= 0) error = snd_pcm_hw_params_set_format(pcm_, hw, format);
    if (error >= 0) error = snd_pcm_hw_params_set_channels(pcm_, hw, layout.channels);
    if (error >= 0) error = snd_pcm_hw_params_set_rate(pcm_, hw, layout.rate, 0);
    if (error >= 0) error = snd_pcm_hw_params_set_period_time_near(pcm_, hw, &period, nullptr);
    if (error >= 0) error = snd_pcm_hw_params_set_buffer_time_near(pcm_, hw, &buffer, nullptr);
    if (error >= 0) error = snd_pcm_hw_params(pcm_, hw);
    if (error < 0) return error;
    // Output starts with the first frame the pin writes, which it does only while running.
    snd_pcm_sw_params_t* sw = nullptr;
    snd_pcm_sw_params_alloca(&sw);
    error = snd_pcm_sw_params_current(pcm_, sw);
    if (error >= 0) error = snd_pcm_sw_params_set_start_threshold(pcm_, sw, 1);
    if (error >= 0) error = snd_pcm_sw_params(pcm_, sw);
    return error;
  }

 private:
  snd_pcm_t* pcm_;
};

}  // namespace

void QuietAlsaErrors() {
  static std::once_flag quiet;
  std::call_once(quiet, [] { snd_lib_error_set_handler(QuietErrors); });
}

std::unique_ptr<waveout::Pcm> OpenHardwarePcm(const char* name, const waveout::PcmLayout& layout,
                                              int32_t* error) {
  snd_pcm_t* handle = nullptr;
  int result = OpenQuietly(&handle, name);
  if (result < 0) {
    *error = ErrorFromErrno(result);
    return nullptr;
  }
  auto pcm = std::make_unique<HardwarePcm>(handle);
  result = pcm->SetUp(layout);
  if (result < 0) {
    *error = ErrorFromErrno(result);
    return nullptr;
  }
  *error = kOk;
  return pcm;
}

std::vector<AudioDataRange> HardwareRanges(const char* name) {
  std::vector<AudioDataRange> ranges;
  snd_pcm_t* handle = nullptr;
  if (OpenQuietly(&handle, name) < 0) return ranges;
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned channels = 0;
  unsigned minRate = 0;
  unsigned maxRate = 0;
  if (snd_pcm_hw_params_any(handle, hw) >= 0 && snd_pcm_hw_params_set_rate_resample(handle, hw, 0) >= 0 &&
      snd_pcm_hw_params_set_access(handle, hw, SND_PCM_ACCESS_RW_INTERLEAVED) >= 0 &&
      snd_pcm_hw_params_get_channels_max(hw, &channels) >= 0 &&
      snd_pcm_hw_params_get_rate_min(hw, &minRate, nullptr) >= 0 &&
      snd_pcm_hw_params_get_rate_max(hw, &maxRate, nullptr) >= 0) {
    for (const SampleWidth& width : kWidths) {
      if (snd_pcm_hw_params_test_format(handle, hw, width.format) == 0) {
        ranges.push_back(PcmRange(channels, width.bits, width.bits, minRate, maxRate));
      }
    }
  }
  snd_pcm_close(handle);
  return ranges;
}

}  // namespace platform::ks
