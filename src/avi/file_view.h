#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "avi/shared_file.h"

namespace avi {

// A window of an open file. Copies share the file; the file closes when its last view goes.
class FileView {
 public:
  // An empty view: no file, start 0, length 0; every read returns 0.
  FileView() = default;

  // A view of the whole file, or an empty view when the path cannot be opened.
  static FileView Open(const std::string& path);
  static FileView Open(const std::u16string& path);

  // A view starting offset bytes into this one, clamped to this view's end.
  FileView SubView(uint64_t offset, uint64_t length) const;

  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Length() const { return length_; }
  // Reads up to count bytes at offset within the view, never past its end. Returns the bytes
  // read; 0 at or past the end and on any failure.
  uint32_t Read(uint64_t offset, uint32_t count, void* destination) const;

  // The path the file was opened by, in UTF-8; empty for an empty view.
  const std::string& Path() const;
  // The file's base name in the form it was opened with; none in the other form.
  const std::string* BaseName8() const;
  const std::u16string* BaseName16() const;

  // Lets go of the file; the view becomes empty.
  void Release();

 private:
  FileView(std::shared_ptr<SharedFile> file, uint64_t start, uint64_t length)
      : file_(std::move(file)), start_(start), length_(length) {}

  std::shared_ptr<SharedFile> file_;
  uint64_t start_ = 0;
  uint64_t length_ = 0;
};

}  // namespace avi
