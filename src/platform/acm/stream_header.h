#pragma once

#include <cstdint>

namespace platform::acm {

inline constexpr uint32_t kHeaderPrepared = 0x00020000;
inline constexpr uint32_t kHeaderDone = 0x00010000;

// One source and one destination buffer of a conversion stream. The caller sets the lengths
// for each conversion (never above the prepared ones); the stream sets the used lengths.
struct StreamHeader {
  uint32_t status = 0;
  uint8_t* source = nullptr;
  uint32_t sourceLength = 0;
  uint32_t sourceLengthUsed = 0;
  uint8_t* destination = nullptr;
  uint32_t destinationLength = 0;
  uint32_t destinationLengthUsed = 0;
  // What Prepare saw, so that a conversion never reaches past the buffers.
  uint32_t preparedSourceLength = 0;
  uint32_t preparedDestinationLength = 0;
};

}  // namespace platform::acm
