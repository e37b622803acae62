#pragma once

#include <cstdint>

namespace audio::ks {

// Results of the kernel-streaming classes: 0, or a negative failure code whose number is the
// system's.
using KsResult = int32_t;

inline constexpr KsResult kResultOk = 0;
inline constexpr KsResult kResultFail = static_cast<int32_t>(0x80004005);
inline constexpr KsResult kResultOutOfMemory = static_cast<int32_t>(0x8007000E);
inline constexpr KsResult kResultInvalidArg = static_cast<int32_t>(0x80070057);

constexpr bool Failed(KsResult result) { return result < 0; }

// A platform error number as a result: a negative one as it is, a positive one in the
// system-error facility.
constexpr KsResult ResultFromError(int32_t error) {
  return error <= 0 ? error : static_cast<int32_t>(0x80070000u | (static_cast<uint32_t>(error) & 0xFFFF));
}

}  // namespace audio::ks
