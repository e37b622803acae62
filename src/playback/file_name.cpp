#include "playback/file_name.h"

#include "common/text_encoding.h"

namespace playback {

std::string FileName::Path() const { return isWide ? common::Utf16ToUtf8(wide) : narrow; }

}  // namespace playback
