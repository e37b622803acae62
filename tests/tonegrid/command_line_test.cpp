#include "tonegrid/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tonegrid {
namespace {

CommandLineRequest Request(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ReadCommandLineRequest(int(words.size()), argv.data());
}

TEST(CommandLine, HelpAndVersionCountOnlyAsTheSoleArgument) {
  EXPECT_EQ(Request({"tonegrid", "--help"}), CommandLineRequest::kHelp);
  EXPECT_EQ(Request({"tonegrid", "--version"}), CommandLineRequest::kVersion);
  EXPECT_EQ(Request({"tonegrid"}), CommandLineRequest::kRun);
  EXPECT_EQ(Request({"tonegrid", "--help", "-platform"}), CommandLineRequest::kRun);
  EXPECT_EQ(Request({"tonegrid", "--version", "--help"}), CommandLineRequest::kRun);
  EXPECT_EQ(Request({"tonegrid", "-h"}), CommandLineRequest::kRun);
}

}  // namespace
}  // namespace tonegrid
