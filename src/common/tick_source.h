#pragma once

#include <cstdint>

namespace common {

// The performance counter as the playback engine reads it. Tests hand the engine one they set
// by hand, so that frame choice, delays and seeks are exact.
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual int64_t Counter() const = 0;
  virtual int64_t Frequency() const = 0;

  // Milliseconds between two counter values, truncated.
  int64_t Milliseconds(int64_t from, int64_t to) const { return (to - from) * 1000 / Frequency(); }
};

// The system's performance counter.
const TickSource& SystemTicks();

}  // namespace common
