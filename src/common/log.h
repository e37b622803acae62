#pragma once

#include <string_view>

namespace common {

// One line on stderr saying which file failed and why, "vistrel: <file>: <reason>", beside the
// result code the caller returns: a user who sees "no movie" can look up what was wrong.
void LogFailure(std::string_view file, std::string_view reason);

}  // namespace common
