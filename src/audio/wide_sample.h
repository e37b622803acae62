#pragma once

#include <cstdint>
#include <cstring>

namespace audio {

// Bytes of one decoded sample: the decoders' output is 64-bit PCM.
inline constexpr uint32_t kWideSampleBytes = 8;

// A 32-bit sample as a 64-bit one: the sample in the upper word, the lower word repeating it
// with its sign bit inverted.
inline void StoreWide32(int32_t sample, uint8_t* out) {
  uint32_t bits = static_cast<uint32_t>(sample);
  uint64_t wide = (static_cast<uint64_t>(bits) << 32) | (bits ^ 0x80000000u);
  std::memcpy(out, &wide, sizeof wide);
}

inline int32_t ClampToInt32(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// The last and the second-last output sample of one channel's predictor.
struct AdpcmHistory {
  int64_t s1 = 0;
  int64_t s2 = 0;
};

}  // namespace audio
