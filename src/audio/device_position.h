#pragma once

#include <cstdint>

#include "platform/waveout/device.h"
#include "riff/wave_format.h"

namespace audio {

// A device's play position in milliseconds, whatever kind the device answered in: samples and
// bytes through `device`'s rate and block size, rounded to the nearest millisecond; 0 for a
// kind it does not know.
int64_t PositionMs(const platform::waveout::Position& position, const riff::WaveFormat& device);

}  // namespace audio
