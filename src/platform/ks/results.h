#pragma once

#include <cstdint>

namespace platform::ks {

// Results of the layer's calls: 0, or a system error number that callers turn into their own
// result codes.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kErrorFileNotFound = 2;
inline constexpr int32_t kErrorAccessDenied = 5;
inline constexpr int32_t kErrorInvalidHandle = 6;
inline constexpr int32_t kErrorNotEnoughMemory = 8;
inline constexpr int32_t kErrorGenFailure = 31;
inline constexpr int32_t kErrorNotSupported = 50;
inline constexpr int32_t kErrorInvalidParameter = 87;
inline constexpr int32_t kErrorInsufficientBuffer = 122;
inline constexpr int32_t kErrorBusy = 170;
inline constexpr int32_t kErrorMoreData = 234;
inline constexpr int32_t kErrorOperationAborted = 995;
inline constexpr int32_t kErrorIoPending = 997;
inline constexpr int32_t kErrorDeviceNotConnected = 1167;
inline constexpr int32_t kErrorNotFound = 1168;
inline constexpr int32_t kErrorNoMatch = 1169;
inline constexpr int32_t kErrorSetNotFound = 1170;

// The result for a negative errno value as ALSA returns them.
int32_t ErrorFromErrno(int error);

}  // namespace platform::ks
