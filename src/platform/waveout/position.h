#pragma once

#include <cstdint>

#include "platform/waveout/device.h"
#include "platform/waveout/pcm_layout.h"

namespace platform::waveout {

// SMPTE positions count 30 frames a second, without dropped frames.
inline constexpr uint8_t kSmpteFps = 30;

// The position `frames` sample frames into the output, in `kind` (milliseconds truncated).
Position PositionOf(uint64_t frames, const PcmLayout& layout, TimeKind kind);

}  // namespace platform::waveout
