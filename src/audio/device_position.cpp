#include "audio/device_position.h"

#include "common/mul_div.h"

namespace audio {
namespace {

// units × 1000 / perSecond rounded as MulDiv does, in 64 bits so that long plays cannot wrap.
int64_t UnitsToMs(uint64_t units, uint32_t perSecond) {
  if (perSecond == 0) return 0;
  return static_cast<int64_t>((units * 1000 + perSecond / 2) / perSecond);
}

}  // namespace

int64_t PositionMs(const platform::waveout::Position& position, const riff::WaveFormat& device) {
  using platform::waveout::TimeKind;
  switch (position.kind) {
    case TimeKind::kMs:
      return static_cast<int64_t>(position.value);
    case TimeKind::kSamples:
      return UnitsToMs(position.value, device.samplesPerSec);
    case TimeKind::kBytes:
      return device.blockAlign == 0 ? 0 : UnitsToMs(position.value / device.blockAlign, device.samplesPerSec);
    case TimeKind::kSmpte: {
      const platform::waveout::Smpte& smpte = position.smpte;
      const int64_t frame = smpte.fps == 0 ? 0 : common::MulDiv(smpte.frame, 1000, smpte.fps);
      return smpte.hour * int64_t{3600000} + smpte.minute * 60000 + smpte.second * 1000 + frame;
    }
  }
  return 0;
}

}  // namespace audio
