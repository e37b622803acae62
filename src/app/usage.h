#pragma once

#include <cstdio>

namespace app {

// The texts of `vistrel --help` and `vistrel --version`.
void PrintUsage(std::FILE* out);
void PrintVersion(std::FILE* out);

}  // namespace app
