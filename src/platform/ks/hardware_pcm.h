#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ks/properties.h"
#include "platform/waveout/alsa_pcm.h"
#include "platform/waveout/pcm_layout.h"

namespace platform::ks {

// The PCM `name` opened for playback exactly in `layout`, with nothing converted or resampled
// on the way and written in small periods; a hardware device ("hw:C,D") is held by it alone.
// Null with *error (results.h) when the device is busy, absent or refuses the layout.
std::unique_ptr<waveout::Pcm> OpenHardwarePcm(const char* name, const waveout::PcmLayout& layout,
                                              int32_t* error);

// The formats the playback PCM `name` takes, one range for each sample width it plays; none
// when it cannot be opened (another program holds it) or takes none of them.
std::vector<AudioDataRange> HardwareRanges(const char* name);

}  // namespace platform::ks
