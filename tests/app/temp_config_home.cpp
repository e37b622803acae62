#include "temp_config_home.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace app::testing {

namespace {

// The folder, removed with everything in it when the test program ends.
class ConfigHome {
 public:
  ConfigHome() {
    char pattern[] = "/tmp/vistrel-config-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    made_ = dir != nullptr;
    path_ = made_ ? dir : "/tmp";
    ::setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
  }
  ~ConfigHome() {
    std::error_code ignored;
    if (made_) std::filesystem::remove_all(path_, ignored);
  }
  ConfigHome(const ConfigHome&) = delete;
  ConfigHome& operator=(const ConfigHome&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool made_ = false;
};

}  // namespace

const std::string& TempConfigHome() {
  static const ConfigHome home;
  return home.Path();
}

// Set before main, so that nothing can read the user's own settings first.
const bool kConfigHomeSet = !TempConfigHome().empty();

std::string SettingsFile() { return TempConfigHome() + "/vkdo/VSTL.conf"; }

void RemoveSettingsFile() { std::filesystem::remove(SettingsFile()); }

void WriteSettingsFile(const std::string& contents) {
  std::filesystem::create_directories(TempConfigHome() + "/vkdo");
  std::ofstream(SettingsFile(), std::ios::trunc) << contents;
}

std::string ReadSettingsFile() {
  std::ifstream in(SettingsFile());
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace app::testing
