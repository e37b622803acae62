#include "support/weston.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLibraryInfo>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

constexpr const char* kSocket = "wayland-test";

bool OnPath(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace

bool Weston::Installed() {
  const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
  return OnPath("weston") && OnPath("weston-screenshooter") && std::filesystem::exists(plugin.toStdString());
}

std::unique_ptr<Weston> Weston::Start(int scale, std::string* error) {
  char pattern[] = "/tmp/vistrel-weston-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    *error = "no runtime folder";
    return nullptr;
  }
  const std::string runtimeDir = pattern;  // mkdtemp makes it 0700, as Wayland wants
  // No fades, so that a screenshot holds exactly what the clients drew.
  const std::string config = runtimeDir + "/weston.ini";
  std::ofstream(config) << "[shell]\nstartup-animation=none\nanimation=none\nclose-animation=none\n"
                           "focus-animation=none\npanel-position=none\n";
  std::vector<std::string> args = {
      "weston", "--backend=headless-backend.so", "--use-pixman", "--config=" + config, "--idle-time=0",
      "--width=640", "--height=480", "--scale=" + std::to_string(scale),
      // The screenshooter protocol.
      "--debug", std::string("--socket=") + kSocket, "--log=" + runtimeDir + "/weston.log"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = {"XDG_RUNTIME_DIR=" + runtimeDir};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string entry = *variable;
    if (entry.rfind("XDG_RUNTIME_DIR=", 0) != 0 && entry.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
        entry.rfind("DISPLAY=", 0) != 0) {
      environment.push_back(entry);
    }
  }
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // The compositor ends with the test process, even one that aborts.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    execvpe("weston", argv.data(), envp.data());
    _exit(127);
  }
  if (pid < 0) {
    *error = "weston did not start";
    std::filesystem::remove_all(runtimeDir);
    return nullptr;
  }
  auto server = std::make_unique<Weston>(pid, runtimeDir);
  // The socket exists once weston accepts clients; its shell is ready soon after.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!std::filesystem::exists(runtimeDir + "/" + kSocket)) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      server->pid_ = 0;
      // The log goes with the runtime folder, so its text is kept in the message.
      std::ifstream log(runtimeDir + "/weston.log");
      *error = "weston ended at start:\n" + std::string(std::istreambuf_iterator<char>(log), {});
      return nullptr;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      *error = "weston made no socket";
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return server;
}

Weston::~Weston() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::filesystem::remove_all(runtimeDir_);
}

void Weston::UseForQt() const {
  setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
  setenv("WAYLAND_DISPLAY", kSocket, 1);
  setenv("QT_QPA_PLATFORM", "wayland", 1);
  unsetenv("DISPLAY");
}

bool Weston::Screenshot(const std::string& pngPath) const {
  // The screenshooter names its file itself, in its working folder.
  const std::string folder = runtimeDir_ + "/shots";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directory(folder);
  const std::string command = "cd " + Quoted(folder) + " && XDG_RUNTIME_DIR=" + Quoted(runtimeDir_) +
                              " WAYLAND_DISPLAY=" + kSocket +
                              " timeout 20 weston-screenshooter >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".png") {
      std::filesystem::rename(entry.path(), pngPath);
      return true;
    }
  }
  return false;
}

}  // namespace testsupport
