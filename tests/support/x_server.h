#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace testsupport {

// A private Xvfb for one test process, on a display number it picks itself.
class XServer {
 public:
  // Null when no Xvfb is installed; `error` says why when one is but did not start.
  static std::unique_ptr<XServer> Start(std::string* error);
  static bool Installed();
  XServer(pid_t pid, std::string display) : pid_(pid), display_(std::move(display)) {}
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  ~XServer();

  const std::string& Display() const { return display_; }

 private:
  pid_t pid_;
  std::string display_;
};

// Mesa unloads its driver at exit with memory still held by the driver's globals, which the
// leak checker would then report; kept loaded, that memory stays reachable.
void KeepSoftwareDriverLoaded();

}  // namespace testsupport
