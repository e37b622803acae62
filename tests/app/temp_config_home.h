#pragma once

#include <string>

namespace app::testing {

// Every test executable that touches the settings store points XDG_CONFIG_HOME at a fresh
// temporary folder before anything reads it; this is that folder.
const std::string& TempConfigHome();

// The store's file, removed so that a test starts with no settings at all.
std::string SettingsFile();
void RemoveSettingsFile();
void WriteSettingsFile(const std::string& contents);
std::string ReadSettingsFile();

}  // namespace app::testing
