#pragma once

#include <cstdint>

#include "riff/wave_format.h"
#include "riff/wave_format_extensible.h"

namespace audio {

// The speakers of a layout of `channels` channels: mono centre, front pair, quad, 5.1, 7.1;
// 0 (unspecified) for any other count.
uint32_t ChannelMask(uint16_t channels);

// True for linear PCM the renderer plays as it is: 8, 16, 24, 32 or 64 bits (the decoder's
// wide samples), 1 to 8 channels, a rate a device takes, and block and byte rate fields that
// agree with them. Anything else goes through the decoder first, which rebuilds the fields.
bool IsPlayablePcm(const riff::WaveFormat& format);

// The format the device is opened with for a stream of `stream`: wide samples play as their
// top 16 bits; more than two channels or more than 16 bits take the extensible description.
riff::WaveFormatExtensible DeviceFormat(const riff::WaveFormat& stream);

}  // namespace audio
