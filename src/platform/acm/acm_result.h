#pragma once

#include <cstdint>

namespace platform::acm {

// Results keep the numbers callers of an audio compression manager compare against.
inline constexpr int kOk = 0;
inline constexpr int kError = 1;
inline constexpr int kInvalidHandle = 5;
inline constexpr int kNoMemory = 7;
inline constexpr int kInvalidFlag = 10;
inline constexpr int kInvalidParameter = 11;
inline constexpr int kNotPossible = 512;
inline constexpr int kUnprepared = 514;

// SuggestFormat: the destination's format tag is given by the caller.
inline constexpr uint32_t kSuggestFormatTag = 0x00010000;
// Stream::Open: conversions need not keep up with real time.
inline constexpr uint32_t kOpenNonRealtime = 0x00000004;
// Stream::Size: the length given is a source length.
inline constexpr uint32_t kSizeSource = 0x00000000;
inline constexpr uint32_t kSizeDestination = 0x00000001;
// Stream::Convert: source consumed and destination filled in whole blocks only.
inline constexpr uint32_t kConvertBlockAlign = 0x00000004;
// Stream::Convert: the first conversion of a run; the codec forgets everything before.
inline constexpr uint32_t kConvertStart = 0x00000010;

}  // namespace platform::acm
