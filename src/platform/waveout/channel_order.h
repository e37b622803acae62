#pragma once

#include <cstdint>
#include <vector>

namespace platform::waveout {

// For each channel in ALSA's order (front pair, rear pair, centre, LFE, side pair), the
// channel of the wave layout with `channelMask` that feeds it. Empty when the orders agree or
// the mask does not say enough to tell.
std::vector<uint8_t> AlsaChannelOrder(uint16_t channels, uint32_t channelMask);

// Copies `frames` frames of `order.size()` channels of `sampleBytes` each into ALSA's order.
void Reorder(const uint8_t* source, uint64_t frames, const std::vector<uint8_t>& order, uint16_t sampleBytes,
             uint8_t* destination);

}  // namespace platform::waveout
