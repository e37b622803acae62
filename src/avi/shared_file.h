#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/lock.h"

namespace avi {

// One open file shared by every view of it. Reads seek and read under one lock; the recorded
// position lets consecutive reads from the same place skip the seek.
class SharedFile {
 public:
  // Opens read-only; none, said on stderr, when the path cannot be opened or its size cannot be
  // found.
  static std::shared_ptr<SharedFile> Open(const std::string& path);
  static std::shared_ptr<SharedFile> Open(const std::u16string& path);

  SharedFile(const SharedFile&) = delete;
  SharedFile& operator=(const SharedFile&) = delete;
  ~SharedFile();

  uint64_t Size() const { return size_; }
  bool Wide() const { return wide_; }
  // The path as opened, in UTF-8: how messages name the file.
  const std::string& Path() const { return path_; }
  // The path's part after its last separator; only the one matching the way it was opened is set.
  const std::string& BaseName8() const { return baseName8_; }
  const std::u16string& BaseName16() const { return baseName16_; }

  // Reads up to count bytes at the absolute position; returns the bytes read, 0 on any failure.
  uint32_t ReadAt(uint64_t position, uint32_t count, void* destination);

 private:
  SharedFile(int fd, uint64_t size) : fd_(fd), size_(size) {}
  static std::shared_ptr<SharedFile> OpenNative(const std::string& nativePath);

  int fd_;
  uint64_t size_;
  uint64_t position_ = 0;
  common::Lock lock_;
  bool wide_ = false;
  std::string path_;
  std::string baseName8_;
  std::u16string baseName16_;
};

}  // namespace avi
