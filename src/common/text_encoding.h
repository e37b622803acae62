#pragma once

#include <string>
#include <string_view>

namespace common {

// UTF-16 to UTF-8, the file system's encoding here; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace common
