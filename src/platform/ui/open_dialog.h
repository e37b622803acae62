#pragma once

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace platform::ui {

// One entry of an open dialog's filter list.
struct FileFilter {
  const char* description;
  const char* pattern;  // e.g. "*.avi"
};

// The filter string: "Supported Files" with every pattern, then each entry as "description
// (pattern)", then "All Files (*)"; entries separated by ";;" as the dialog reads them.
std::string FilterString(const std::vector<FileFilter>& filters);

// Asks for an existing file; its path as UTF-16, or none when the user cancelled.
std::optional<std::u16string> AskFileToOpen(QWidget* owner, const std::vector<FileFilter>& filters);

}  // namespace platform::ui
