#pragma once

#include <string_view>

namespace common {

// One line on stderr about a file the player was given, "vistrel: <file>: <reason>", so that a
// file that will not open or play says why.
void ReportFile(std::string_view file, std::string_view reason);

}  // namespace common
