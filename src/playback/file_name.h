#pragma once

#include <string>

namespace playback {

// A file name as it reached the player: narrow from the command line (bytes as the system gave
// them), or wide (UTF-16) from a drop or the open dialog.
struct FileName {
  std::string narrow;
  std::u16string wide;
  bool isWide = false;

  static FileName Narrow(std::string name) { return {std::move(name), {}, false}; }
  static FileName Wide(std::u16string name) { return {{}, std::move(name), true}; }

  // The path to open: a wide name is encoded in the file system's encoding, UTF-8 here.
  std::string Path() const;
};

}  // namespace playback
