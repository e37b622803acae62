#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app {
namespace {

// argv as the system hands it over: the program's name first, then the arguments.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> words) : words_(std::move(words)) {
    for (std::string& word : words_) pointers_.push_back(word.data());
    pointers_.push_back(nullptr);
  }
  int Count() const { return int(words_.size()); }
  char** Values() { return pointers_.data(); }

 private:
  std::vector<std::string> words_;
  std::vector<char*> pointers_;
};

CommandLineRequest Request(std::vector<std::string> words) {
  Arguments arguments(std::move(words));
  return ReadCommandLineRequest(arguments.Count(), arguments.Values());
}

TEST(CommandLine, HelpAndVersionCountOnlyAsTheSoleArgument) {
  EXPECT_EQ(Request({"vistrel", "--help"}), CommandLineRequest::kHelp);
  EXPECT_EQ(Request({"vistrel", "--version"}), CommandLineRequest::kVersion);
  EXPECT_EQ(Request({"vistrel"}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "clip.avi"}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "--help", "clip.avi"}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "clip.avi", "--version"}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "--version", "--help"}), CommandLineRequest::kPlay);
  // Only the exact spellings: anything else may be a file's name.
  EXPECT_EQ(Request({"vistrel", "-h"}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "--help="}), CommandLineRequest::kPlay);
  EXPECT_EQ(Request({"vistrel", "--Version"}), CommandLineRequest::kPlay);
}

TEST(CommandLine, EveryOtherArgumentIsAFileName) {
  Arguments arguments({"vistrel", "--help", "", "a clip.avi", "--version"});
  const std::vector<playback::FileName> files = CommandLineFiles(arguments.Count(), arguments.Values());
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].narrow, "--help");
  EXPECT_EQ(files[1].narrow, "a clip.avi");
  EXPECT_EQ(files[2].narrow, "--version");
}

}  // namespace
}  // namespace app
