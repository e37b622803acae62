#include "support/x_server.h"

#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

std::string FindXvfb() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = dir + "/Xvfb";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace

void KeepSoftwareDriverLoaded() {
  void* glx = dlopen("libGLX_mesa.so.0", RTLD_NOW | RTLD_NODELETE);
  char directory[4096] = {};
  if (!glx || dlinfo(glx, RTLD_DI_ORIGIN, directory) != 0) return;
  dlopen((std::string(directory) + "/dri/swrast_dri.so").c_str(), RTLD_NOW | RTLD_NODELETE);
}

bool XServer::Installed() { return !FindXvfb().empty(); }

std::unique_ptr<XServer> XServer::Start(std::string* error) {
  const std::string xvfb = FindXvfb();
  if (xvfb.empty()) return nullptr;
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "no pipe";
    return nullptr;
  }
  // Xvfb picks a free display itself and writes its number to the descriptor once it
  // accepts clients, which avoids racing other servers for a number.
  std::vector<std::string> args = {xvfb, "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-screen",
                                   "0",  "640x480x24"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, xvfb.c_str(), nullptr, nullptr, argv.data(), environ);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    *error = "Xvfb did not start";
    return nullptr;
  }
  std::string number;
  pollfd readable{fds[0], POLLIN, 0};
  char c = 0;
  while (poll(&readable, 1, 30000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    *error = "Xvfb gave no display number";
    return nullptr;
  }
  return std::make_unique<XServer>(pid, ":" + number);
}

XServer::~XServer() {
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace testsupport
