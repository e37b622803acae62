#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace testsupport {

// A private headless Weston for one test process: its own runtime folder and socket, a 640x480
// output (in logical pixels) at the given scale, drawn in software so that its screenshots
// show what the clients presented.
class Weston {
 public:
  // Whether weston, its screenshooter and Qt's Wayland platform are installed.
  static bool Installed();
  // Null when it did not start; `error` says why.
  static std::unique_ptr<Weston> Start(int scale, std::string* error);
  Weston(pid_t pid, std::string runtimeDir) : pid_(pid), runtimeDir_(std::move(runtimeDir)) {}
  Weston(const Weston&) = delete;
  Weston& operator=(const Weston&) = delete;
  ~Weston();

  // Points this process's Qt at the compositor: the Wayland platform, its socket.
  void UseForQt() const;
  // Writes the whole output as a PNG file; false when the capture failed.
  bool Screenshot(const std::string& pngPath) const;

 private:
  pid_t pid_;
  std::string runtimeDir_;
};

}  // namespace testsupport
