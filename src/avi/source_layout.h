#pragma once

#include <cstdint>

#include "riff/wave_format.h"

namespace avi {

// How some compressed formats lay their samples out in their bytes, where the format says so
// exactly: the stored byte rate of such a stream is often only nominal.

// Samples a channel in one block of nBlockAlign bytes, for the ADPCM formats whose extension
// gives it (Microsoft 0x0002 and IMA 0x0011); 0 for any other format. `format` is followed by
// its cbSize extra bytes.
uint32_t SamplesPerBlock(const riff::WaveFormat& format);

// Samples a channel in one MPEG Layer III frame at `sampleRate`: MPEG-1 rates (32 kHz and up)
// carry 1152, the lower rates of MPEG-2 and 2.5 carry 576.
uint32_t Mp3FrameSamples(uint32_t sampleRate);

}  // namespace avi
