#pragma once

#include <cstdint>

#include "riff/fourcc.h"

namespace avi {

// The FOURCCs that more than one reader of the AVI structure looks for.
inline constexpr uint32_t kRiffId = riff::MakeFourcc("RIFF");
inline constexpr uint32_t kListId = riff::MakeFourcc("LIST");
inline constexpr uint32_t kMoviId = riff::MakeFourcc("movi");

// A stream data chunk's id: the stream number as two digits, then two letters of type.
inline bool IsVideoChunk(uint32_t id) {
  const uint32_t type = id >> 16;
  return type == (riff::MakeFourcc("00dc") >> 16) || type == (riff::MakeFourcc("00db") >> 16);
}
inline bool IsAudioChunk(uint32_t id) { return (id >> 16) == (riff::MakeFourcc("00wb") >> 16); }

// The stream number of a chunk id, or -1 when it does not start with two digits.
inline int32_t StreamNumberOf(uint32_t id) {
  const uint32_t tens = (id & 0xFF) - '0';
  const uint32_t ones = ((id >> 8) & 0xFF) - '0';
  return tens < 10 && ones < 10 ? static_cast<int32_t>(tens * 10 + ones) : -1;
}

}  // namespace avi
