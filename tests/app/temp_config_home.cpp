#include "temp_config_home.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace app::testing {

const std::string& TempConfigHome() {
  static const std::string home = [] {
    char pattern[] = "/tmp/vistrel-config-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    std::string path = dir != nullptr ? dir : "/tmp";
    ::setenv("XDG_CONFIG_HOME", path.c_str(), 1);
    return path;
  }();
  return home;
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
