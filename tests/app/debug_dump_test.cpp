#include "app/debug_dump.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace app {
namespace {

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(DebugDump, EachDumpReplacesTheLast) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("vistrel_dump_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "debug.txt").string();
  ASSERT_TRUE(WriteDebugDump(path, 123456, {1000, 20, 1020, 998}));
  ASSERT_TRUE(WriteDebugDump(path, -5, {7, 0, 7, 7}));
  EXPECT_EQ(Contents(path), "myGetTime = -5, debug1 = 7, debug2 = 0, debug3 = 7, debug4 = 7");
  EXPECT_FALSE(WriteDebugDump((dir / "missing" / "debug.txt").string(), 0, {}));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace app
