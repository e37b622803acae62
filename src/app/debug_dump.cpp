#include "app/debug_dump.h"

#include <fcntl.h>
#include <unistd.h>

#include "common/format.h"

namespace app {

bool WriteDebugDump(const std::string& path, int32_t clockMs, const PresentationCounters& counters) {
  const std::string line =
      common::Format("myGetTime = %d, debug1 = %d, debug2 = %d, debug3 = %d, debug4 = %d", clockMs,
                     counters.eventWakeUps, counters.timeOutWakeUps, counters.waits, counters.requests);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    return false;
  }
  const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  return ::close(fd) == 0 && written;
}

}  // namespace app
