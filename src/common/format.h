#pragma once

#include <string>

namespace common {

// printf-style formatting into a string of whatever length the text needs.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace common
