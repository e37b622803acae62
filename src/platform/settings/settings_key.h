#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace platform::settings {

// The per-user store of named 32-bit values shared by vistrel and tonegrid: QSettings in its
// native INI format, organisation "vkdo", application "VSTL", one key per value in the default
// group. Writes keep every other key and reach the disk atomically.
class SettingsKey {
 public:
  // Nothing when the store cannot be read or its folder cannot be made.
  static std::unique_ptr<SettingsKey> Open();
  ~SettingsKey();

  // A missing value, or one that is not an integer that fits 32 bits, reads as nothing.
  std::optional<int32_t> Read(const char* name) const;
  void Write(const char* name, int32_t value);
  // Flushes the writes; false when they could not be stored.
  bool Close();

  // Where the store lives.
  static std::string Path();

 private:
  struct Impl;
  explicit SettingsKey(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform::settings
