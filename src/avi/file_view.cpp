#include "avi/file_view.h"

namespace avi {

FileView FileView::Open(const std::string& path) {
  auto file = SharedFile::Open(path);
  if (!file) return FileView();
  uint64_t size = file->Size();
  return FileView(std::move(file), 0, size);
}

FileView FileView::Open(const std::u16string& path) {
  auto file = SharedFile::Open(path);
  if (!file) return FileView();
  uint64_t size = file->Size();
  return FileView(std::move(file), 0, size);
}

FileView FileView::SubView(uint64_t offset, uint64_t length) const {
  if (offset > length_) return FileView(file_, start_ + length_, 0);
  uint64_t remaining = length_ - offset;
  return FileView(file_, start_ + offset, length < remaining ? length : remaining);
}

uint32_t FileView::Read(uint64_t offset, uint32_t count, void* destination) const {
  if (!file_ || offset >= length_) return 0;
  uint64_t remaining = length_ - offset;
  if (count >= remaining) count = static_cast<uint32_t>(remaining);
  return file_->ReadAt(start_ + offset, count, destination);
}

const std::string& FileView::Path() const {
  static const std::string kNone;
  return file_ ? file_->Path() : kNone;
}

const std::string* FileView::BaseName8() const {
  return file_ && !file_->Wide() ? &file_->BaseName8() : nullptr;
}

const std::u16string* FileView::BaseName16() const {
  return file_ && file_->Wide() ? &file_->BaseName16() : nullptr;
}

void FileView::Release() {
  file_.reset();
  start_ = 0;
  length_ = 0;
}

}  // namespace avi
