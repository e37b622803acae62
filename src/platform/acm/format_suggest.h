#pragma once

#include <cstdint>

#include "riff/wave_format.h"

namespace platform::acm {

// The largest format any conversion here produces or takes, in bytes.
uint32_t MaxFormatSize();

// Fills `destination` (of `destinationSize` bytes) with the PCM format a stream of `source`
// converts to: 16-bit PCM at the source's rate and channel count. kNotPossible when no codec
// decodes the source or its fields are out of range.
int SuggestFormat(const riff::WaveFormat* source, riff::WaveFormat* destination, uint32_t destinationSize,
                  uint32_t flags);

// Whether `destination` is the format SuggestFormat gives for `source`.
bool IsSuggestedFormat(const riff::WaveFormat& source, const riff::WaveFormat& destination);

}  // namespace platform::acm
