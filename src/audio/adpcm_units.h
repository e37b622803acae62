#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/wide_sample.h"

namespace audio {

// Bytes of one CD-ROM XA sound group and of what it decodes to.
inline constexpr uint32_t kXaGroupBytes = 128;
inline constexpr uint32_t kXaGroupOutput = 1792;
// 16-byte blocks of 28 samples with a filter and shift byte (format 0x2081).
inline constexpr uint32_t kFilterBlockBytes = 16;
inline constexpr uint32_t kFilterBlockSamples = 28;
// 18-byte blocks of 32 samples with a big-endian step (format 0x2080).
inline constexpr uint32_t kStepBlockBytes = 18;
inline constexpr uint32_t kStepBlockSamples = 32;

// One 128-byte sound group into 1792 bytes of 64-bit samples: interleaved pairs when stereo,
// else 224 mono samples; history[0] is the left (or only) channel, history[1] the right.
void DecodeXaGroup(const uint8_t* group, bool stereo, AdpcmHistory* history, uint8_t* out);

// One 16-byte block into 28 64-bit samples written `stride` bytes apart.
void DecodeFilterBlock(const uint8_t* block, AdpcmHistory& history, uint8_t* out, size_t stride);

// One 18-byte block into 32 64-bit samples written `stride` bytes apart.
void DecodeStepBlock(const uint8_t* block, AdpcmHistory& history, uint8_t* out, size_t stride);

}  // namespace audio
