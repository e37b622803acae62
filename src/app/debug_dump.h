#pragma once

#include <cstdint>
#include <string>

namespace app {

// The presentation counters the debug dump shows after the clock.
struct PresentationCounters {
  int32_t eventWakeUps = 0;    // wake-ups by the present-request event
  int32_t timeOutWakeUps = 0;  // wake-ups by time-out
  int32_t waits = 0;
  int32_t requests = 0;  // presentation requests
};

// Writes the one debug line into `path`, created or truncated, so the file always holds the
// latest dump alone. False when it cannot be written.
bool WriteDebugDump(const std::string& path, int32_t clockMs, const PresentationCounters& counters);

}  // namespace app
